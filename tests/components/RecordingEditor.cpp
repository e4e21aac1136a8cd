#include "RecordingEditor.h"

#include <QFile>

RecordingEditor::RecordingEditor() {
    LogFile = qEnvironmentVariable("KX4_TESTEDITOR_LOG");
    const QStringList failures = qEnvironmentVariable("KX4_TESTEDITOR_FAIL").split(u'\n', Qt::SkipEmptyParts);
    for (const QString& failure : failures) {
        const qsizetype equals = failure.indexOf(u'=');
        if (equals > 0)
            Failures.insert(failure.left(equals).trimmed(), failure.mid(equals + 1));
    }
}

QString RecordingEditor::Render(const QVariant& value) {
    if (!value.isValid())
        return QStringLiteral("empty");
    switch (value.typeId()) {
    case QMetaType::QVariantList: {
        QStringList items;
        for (const QVariant& item : value.toList())
            items << Render(item);
        return QStringLiteral("QVariantList[") + items.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    case QMetaType::QString: return QStringLiteral("QString:\"") + value.toString() + QLatin1Char('"');
    case QMetaType::QByteArray:
        return QStringLiteral("QByteArray:\"") + QString::fromUtf8(value.toByteArray()) + QLatin1Char('"');
    case QMetaType::QObjectStar:
        return value.value<QObject*>() ? QStringLiteral("QObject*") : QStringLiteral("null");
    default: return QString::fromLatin1(value.typeName()) + QLatin1Char(':') + value.toString();
    }
}

bool RecordingEditor::Call(const QString& operation, const QString& failureKey,
                           const QVariantList& arguments) {
    const auto failure = Failures.constFind(failureKey);
    const auto any = Failures.constFind(operation);
    const bool fails = failure != Failures.constEnd() || any != Failures.constEnd();
    if (fails)
        Error = failure != Failures.constEnd() ? *failure : *any;
    if (!LogFile.isEmpty()) {
        QStringList rendered;
        for (const QVariant& argument : arguments)
            rendered << Render(argument);
        QString line = (Project.isEmpty() ? QStringLiteral("?") : Project) + QStringLiteral(": ") +
                       operation + QLatin1Char('(') + rendered.join(QStringLiteral(", ")) + QLatin1Char(')');
        if (fails)
            line += QStringLiteral(" failed");
        QFile log(LogFile);
        if (log.open(QIODevice::Append))
            log.write(line.toUtf8() + '\n');
    }
    return !fails;
}

bool RecordingEditor::Connect(const QString& project, const QString& reserved, QObject* application,
                              QObject* addInInstance) {
    Project = project;
    QVariantList arguments{project, reserved};
    for (QObject* object : {application, addInInstance})
        arguments << QVariant::fromValue(object);
    if (!Call(QStringLiteral("Connect"), QStringLiteral("Connect"), arguments))
        return false;
    Connected = true;
    return true;
}

bool RecordingEditor::Startup() { return Call(QStringLiteral("Startup"), QStringLiteral("Startup"), {}); }

bool RecordingEditor::Disconnect() {
    Connected = false;
    return Call(QStringLiteral("Disconnect"), QStringLiteral("Disconnect"), {});
}

bool RecordingEditor::StartEditor(const QString& reserved1, const QString& mainKey,
                                  const QString& reserved2) {
    if (!Call(QStringLiteral("StartEditor"), QStringLiteral("StartEditor"), {reserved1, mainKey, reserved2}))
        return false;
    if (!Connected) {
        Error = QStringLiteral("no project connected");
        return false;
    }
    return true;
}

bool RecordingEditor::Message(const QString& target, const QString& command, const QVariant& params,
                              QVariant* answer) {
    *answer = QVariant();
    if (!Call(QStringLiteral("Message"), QStringLiteral("Message ") + command, {target, command, params}))
        return false;
    if (!Connected) {
        Error = QStringLiteral("no project connected");
        return false;
    }
    if (command == QLatin1String("Copy") || command == QLatin1String("Copynonh")) {
        const QString group = params.toList().value(1).toString();
        *answer = QByteArray("copy of " + group.toUtf8() + " from " + Project.toUtf8());
    }
    return true;
}

QString RecordingEditor::LastError() const { return Error; }
