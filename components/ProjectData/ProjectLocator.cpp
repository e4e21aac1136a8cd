#include "ProjectLocator.h"

#include "platform/Prefix.h"
#include "platform/Registry.h"
#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"

#include <QFileInfo>

namespace ProjectLocator {

QString Resolve(const QString& project) {
    if (project.isEmpty())
        throw Failure(Failure::FileNotFound, QStringLiteral("no project given"));
    if (project.endsWith(QLatin1String(".kxs"), Qt::CaseInsensitive)) {
        const QString local = Prefix::ToLocalPath(project);
        if (!QFileInfo(local).isFile())
            throw Failure(Failure::FileNotFound, QStringLiteral("project \"%1\" not found").arg(project));
        return QFileInfo(local).absoluteFilePath();
    }
    RegValue folder;
    if (project.contains(QLatin1Char('\\')) ||
        RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, StudioKeys::Projects + QLatin1Char('\\') + project,
                                  QStringLiteral("Path"), &folder) != ERROR_SUCCESS) {
        throw Failure(Failure::FileNotFound,
                      QStringLiteral("project \"%1\" not found: neither a .kxs file nor a registered project")
                          .arg(project));
    }
    const QString file = folder.Text() + QLatin1Char('\\') + project + QStringLiteral(".kxs");
    const QString local = Prefix::ToLocalPath(file);
    if (!QFileInfo(local).isFile())
        throw Failure(Failure::FileNotFound,
                      QStringLiteral("project \"%1\" not found: its file %2 does not exist").arg(project, file));
    return QFileInfo(local).absoluteFilePath();
}

} // namespace ProjectLocator
