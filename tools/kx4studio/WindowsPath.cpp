#include "kx4studio/WindowsPath.h"

#include "platform/core/Prefix.h"

#include <QDir>
#include <QFileInfo>

namespace WindowsPath {

namespace {

// The path with links resolved as far as it exists, so a file not made yet still maps.
QString Canonical(const QString& path) {
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!existing.isEmpty() && !QFileInfo::exists(existing)) {
        const qsizetype slash = existing.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        rest.prepend(existing.mid(slash));
        existing.truncate(slash);
    }
    return QFileInfo(existing).canonicalFilePath() + rest;
}

} // namespace

QString FromLocal(const QString& localPath) {
    const QString path = Canonical(localPath);
    const QDir drives(Prefix::Path() + QStringLiteral("/drives"));
    for (const QString& entry : drives.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.size() != 1 || !entry.at(0).isLetter())
            continue;
        const QString root = QFileInfo(drives.filePath(entry)).canonicalFilePath();
        if (path == root || path.startsWith(root + QLatin1Char('/'))) {
            QString rest = path.mid(root.size());
            rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
            return entry.toUpper() + QLatin1Char(':') + (rest.isEmpty() ? QStringLiteral("\\") : rest);
        }
    }
    return localPath;
}

} // namespace WindowsPath
