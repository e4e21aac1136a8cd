#include "platform/core/Prefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <sys/stat.h>

namespace Prefix {

namespace {

// "X:" or "X:/..." (after the backslashes were turned): the drive letter, else a null char.
QChar DriveLetter(const QString& path) {
    if (path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter() && path.at(0).unicode() < 128 &&
        (path.size() == 2 || path.at(2) == u'/'))
        return path.at(0).toLower();
    return QChar();
}

// Case-folded names of a folder's entries, kept while the folder is unchanged (same inode and
// modification time to the nanosecond), so that testing many missing files in one large folder
// does not list it again for each.
struct FolderListing {
    ino_t inode = 0;
    timespec modified{};
    QHash<QString, QString> byFoldedName;
};

QString MatchEntry(const QString& dir, const QString& folded) {
    static QMutex mutex;
    static QHash<QString, FolderListing> listings;
    struct stat st {};
    if (::stat(QFile::encodeName(dir).constData(), &st) != 0)
        return QString();
    QMutexLocker lock(&mutex);
    auto it = listings.find(dir);
    if (it == listings.end() || it->inode != st.st_ino || it->modified.tv_sec != st.st_mtim.tv_sec ||
        it->modified.tv_nsec != st.st_mtim.tv_nsec) {
        if (listings.size() > 64)
            listings.clear();
        FolderListing listing;
        listing.inode = st.st_ino;
        listing.modified = st.st_mtim;
        const QStringList entries = QDir(dir).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& entry : entries) {
            const QString key = entry.toCaseFolded();
            if (!listing.byFoldedName.contains(key)) // the first in name order wins
                listing.byFoldedName.insert(key, entry);
        }
        it = listings.insert(dir, listing);
    }
    return it->byFoldedName.value(folded);
}

} // namespace

QString Path() {
    const QString prefix = qEnvironmentVariable("KX4_PREFIX");
    if (!prefix.isEmpty())
        return prefix;
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is ignored, as desktop programs do.
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
            const QString found = MatchEntry(dir, part.toCaseFolded());
            if (!found.isEmpty())
                part = found;
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
