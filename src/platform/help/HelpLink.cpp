#include "platform/help/HelpLink.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

QString FileName(const QString& path) {
    const qsizetype slash = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

QString Decoded(const QString& path) {
    return path.contains(QLatin1Char('%')) ? QUrl::fromPercentEncoding(path.toUtf8()) : path;
}

// Relative to the folder of the current topic; the help file resolves "." and "..".
QString Absolute(const QString& path, const QString& currentTopic) {
    if (path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\')))
        return path;
    const QString current = currentTopic.section(QLatin1Char('#'), 0, 0);
    if (path.startsWith(QLatin1Char('#')))
        return current + path;
    const qsizetype slash = current.lastIndexOf(QLatin1Char('/'));
    return current.left(slash + 1) + path;
}

} // namespace

HelpLink HelpLink::Parse(const QString& link, const QString& currentTopic, const QString& ownFileName) {
    static const QRegularExpression storeScheme(QStringLiteral("^(?:ms-its|its|mk:@MSITStore):"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    HelpLink result;
    QString text = link.trimmed();

    const auto store = storeScheme.match(text);
    if (store.hasMatch())
        text = text.mid(store.capturedEnd());
    const qsizetype fileEnd = text.indexOf(QLatin1String("::"));
    if (store.hasMatch() || fileEnd >= 0) {
        const QString file = fileEnd >= 0 ? text.left(fileEnd) : text;
        QString topic = fileEnd >= 0 ? Decoded(text.mid(fileEnd + 2)) : QString();
        if (!topic.isEmpty() && !topic.startsWith(QLatin1Char('/')) && !topic.startsWith(QLatin1Char('\\')))
            topic.prepend(QLatin1Char('/'));
        result.topic = topic;
        if (FileName(file).compare(ownFileName, Qt::CaseInsensitive) != 0) {
            result.kind = Kind::OtherFile;
            result.file = file;
        }
        return result;
    }
    if (text.startsWith(QLatin1String("chm:"), Qt::CaseInsensitive)) {
        result.topic = Decoded(text.mid(4));
        return result;
    }
    if (scheme.match(text).hasMatch()) {
        result.kind = Kind::External;
        result.address = text;
        return result;
    }
    result.topic = text.isEmpty() ? currentTopic : Absolute(Decoded(text), currentTopic);
    return result;
}
