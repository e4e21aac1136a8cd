#include "RecordingEditor.h"

#include <QFile>
#include <stdexcept>

namespace {

// A tagged value as the log writes it: "empty", "QString:"text"", "short:0", "QVariantList[...]".
QString Render(const QVariant& value) {
    if (!value.isValid())
        return "empty";
    switch (value.typeId()) {
    case QMetaType::QVariantList: {
        QStringList items;
        for (const QVariant& item : value.toList())
            items << Render(item);
        return "QVariantList[" + items.join(", ") + ']';
    }
    case QMetaType::QString: return "QString:\"" + value.toString() + '"';
    case QMetaType::QByteArray: return "QByteArray:\"" + QString::fromUtf8(value.toByteArray()) + '"';
    case QMetaType::QObjectStar: return value.value<QObject*>() ? "QObject*" : "null";
    default: return QString::fromLatin1(value.typeName()) + ':' + value.toString();
    }
}

} // namespace

RecordingEditor::RecordingEditor() : LogFile(qEnvironmentVariable("KX4_TESTEDITOR_LOG")) {
    for (const QString& failure : qEnvironmentVariable("KX4_TESTEDITOR_FAIL").split('\n', Qt::SkipEmptyParts))
        if (const qsizetype equals = failure.indexOf('='); equals > 0)
            Failures.insert(failure.left(equals).trimmed(), failure.mid(equals + 1));
}

bool RecordingEditor::Call(const QString& operation, const QString& failureKey, const QVariantList& arguments,
                           bool needsProject) {
    const bool fails = Failures.contains(failureKey) || Failures.contains(operation);
    if (fails)
        Error = Failures.value(failureKey, Failures.value(operation));
    if (!LogFile.isEmpty()) {
        QStringList rendered;
        for (const QVariant& argument : arguments)
            rendered << Render(argument);
        QFile log(LogFile);
        if (log.open(QIODevice::Append))
            log.write(QString("%1: %2(%3)%4\n")
                          .arg(Project.isEmpty() ? "?" : Project, operation, rendered.join(", "),
                               fails ? " failed" : "")
                          .toUtf8());
    }
    if (fails && Error == "throw")
        throw std::runtime_error("injected");
    if (!fails && needsProject && !Connected)
        Error = "no project connected";
    return !fails && (Connected || !needsProject);
}

bool RecordingEditor::Connect(const QString& project, const QString& reserved, QObject* application,
                              QObject* addInInstance) {
    Project = project;
    return Connected = Call(
               "Connect", "Connect",
               {project, reserved, QVariant::fromValue(application), QVariant::fromValue(addInInstance)});
}

bool RecordingEditor::Message(const QString& target, const QString& command, const QVariant& params,
                              QVariant* answer) {
    *answer = QVariant();
    if (!Call("Message", "Message " + command, {target, command, params}, true))
        return false;
    if (command == "Copy" || command == "Copynonh")
        *answer = QByteArray("copy of " + params.toList().value(1).toString().toUtf8() + " from " +
                             Project.toUtf8());
    return true;
}

QObject* TestEditorPlugin::CreateInstance(const QString& progId) {
    if (progId.compare("KXTestEditor.Connect", Qt::CaseInsensitive) == 0)
        return new RecordingEditor;
    if (progId.compare("KXTestNoAddIn.Connect", Qt::CaseInsensitive) == 0)
        return new QObject;
    return nullptr;
}
