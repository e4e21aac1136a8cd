#include "platform/Prefix.h"

#include <QDir>
#include <QFileInfo>

namespace Prefix {

namespace {

// "X:" or "X:/..." (after the backslashes were turned): the drive letter, else a null char.
QChar DriveLetter(const QString& path) {
    if (path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter() && path.at(0).unicode() < 128 &&
        (path.size() == 2 || path.at(2) == u'/'))
        return path.at(0).toLower();
    return QChar();
}

} // namespace

QString Path() {
    const QString prefix = qEnvironmentVariable("KX4_PREFIX");
    if (!prefix.isEmpty())
        return prefix;
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    // The base directory specification ignores a relative XDG_DATA_HOME.
    if (!data.isEmpty() && QDir::isAbsolutePath(data))
        return data + QStringLiteral("/kx4");
    return QDir::homePath() + QStringLiteral("/.local/share/kx4");
}

QString ToLocalPath(const QString& windowsPath) {
    QString path = windowsPath;
    path.replace(u'\\', u'/');
    const QChar drive = DriveLetter(path);
    if (drive.isNull())
        return path;
    const QString folder = Path() + QStringLiteral("/drives/") + drive;
    if (!QFileInfo(folder).isDir())
        return path;
    return folder + path.mid(2);
}

QString ToLocalPathNoCase(const QString& windowsPath) {
    const QString path = ToLocalPath(windowsPath);
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const bool absolute = path.startsWith(u'/');
    const QStringList parts = path.split(u'/');
    QString result = absolute ? QStringLiteral("/") : QString();
    bool matching = true;
    for (qsizetype i = absolute ? 1 : 0; i < parts.size(); ++i) {
        QString part = parts.at(i);
        const QString dir = result.isEmpty() ? QStringLiteral(".") : result;
        if (matching && !part.isEmpty() && part != u"." && part != u".." &&
            !QFileInfo::exists(dir + u'/' + part)) {
            const QString folded = part.toCaseFolded();
            const QStringList entries = QDir(dir).entryList(
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
            auto found = std::find_if(entries.begin(), entries.end(),
                                      [&](const QString& entry) { return entry.toCaseFolded() == folded; });
            if (found != entries.end())
                part = *found;
            else
                matching = false; // nothing below a missing folder can exist
        }
        if (!result.isEmpty() && !result.endsWith(u'/'))
            result += u'/';
        result += part;
    }
    return result;
}

} // namespace Prefix
