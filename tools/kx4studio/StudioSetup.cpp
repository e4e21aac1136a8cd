#include "kx4studio/StudioSetup.h"

#include "kx4studio/StudioToolContext.h"
#include "kx4studio/WindowsPath.h"
#include "platform/core/Prefix.h"
#include "platform/registry/RegErrorText.h"
#include "platform/registry/Registry.h"
#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace StudioSetup {

namespace {

const QString DefaultInstallPath = QStringLiteral("C:\\Program Files\\KestrixStudio");
const QString MainDir = QStringLiteral("C:\\Program Files\\HALVERN");
const QString CommonDir = QStringLiteral("C:\\Program Files\\Common Files\\HALVERN");
const QString Version = QStringLiteral("4.0");

QString KeyName(HKEY root, const QString& key, const QString& value) {
    return RegistryStore::RootName(root) + QLatin1Char('\\') + key + QStringLiteral(" \"") + value +
           QLatin1Char('"');
}

void Write(HKEY root, const QString& key, const RegValue& value) {
    const long rc = RegistryStore::SetValue(root, key, value);
    if (rc != ERROR_SUCCESS)
        throw Failure(Failure::InvalidCall,
                      QStringLiteral("cannot write %1: %2")
                          .arg(KeyName(root, key, value.name), RegistryStore::Describe(rc, root)));
}

bool Exists(HKEY root, const QString& key, const QString& name, RegValue* value = nullptr) {
    RegValue read;
    const bool found = RegistryStore::QueryValue(root, key, name, &read) == ERROR_SUCCESS;
    if (value)
        *value = read;
    return found;
}

// The text value name of key, written as fallback when missing; returns what stands there.
QString Keep(HKEY root, const QString& key, const QString& name, const QString& fallback) {
    RegValue value;
    if (Exists(root, key, name, &value) && !value.Text().isEmpty())
        return value.Text();
    Write(root, key, RegValue::String(name, fallback));
    return fallback;
}

// A Windows-style or local folder, created; returns its local path.
QString MakeFolder(const QString& path) {
    const QString local = Prefix::ToLocalPath(path);
    // An unmapped drive stays "X:/...", which would land in the current folder.
    if (!QDir::isAbsolutePath(local))
        throw Failure(Failure::InvalidCall,
                      QStringLiteral("cannot create folder %1: its drive is no folder of the prefix %2")
                          .arg(path, Prefix::Path()));
    if (!QDir().mkpath(local))
        throw Failure(Failure::InvalidCall, QStringLiteral("cannot create folder %1 (%2)").arg(path, local));
    return local;
}

void CopyHelpFiles(const QString& from, const QString& to, QTextStream& out) {
    const QDir help(from);
    for (const QFileInfo& file : help.entryInfoList(QDir::Files)) {
        const QString target = to + QLatin1Char('/') + file.fileName();
        // A new installation brings new help: replace what an older one left.
        QFile::remove(target);
        if (!QFile::copy(file.filePath(), target))
            throw Failure(Failure::InvalidCall,
                          QStringLiteral("cannot copy help file %1 to %2").arg(file.filePath(), to));
        out << "help file " << file.fileName() << Qt::endl;
    }
}

void RegisterClass(const QString& progId, const QString& plugin, QTextStream& out) {
    Write(HKEY_CLASSES_ROOT, progId + QStringLiteral("\\InprocServer32"),
          RegValue::String(QString(), plugin));
    out << progId << " -> " << plugin << Qt::endl;
}

void MakePrefix(QTextStream& out) {
    const QString prefix = Prefix::Path();
    if (!QDir().mkpath(prefix + QStringLiteral("/drives/c")))
        throw Failure(Failure::InvalidCall, QStringLiteral("cannot create the prefix folder %1").arg(prefix));
    out << "prefix " << prefix << Qt::endl;
}

void WriteLocale(const QString& lcidOption) {
    const QString& studio = StudioKeys::Studio;
    if (!lcidOption.isEmpty()) {
        bool ok = false;
        const uint lcid = lcidOption.toUInt(&ok);
        if (!ok || lcid > 0xFFFF)
            throw Failure(Failure::InvalidCall, QStringLiteral("--lcid %1 is no locale id").arg(lcidOption));
        Write(HKEY_LOCAL_MACHINE, studio, RegValue::Dword(QStringLiteral("LCID"), lcid));
    } else if (!Exists(HKEY_LOCAL_MACHINE, studio, QStringLiteral("LCID"))) {
        Write(HKEY_LOCAL_MACHINE, studio, RegValue::Dword(QStringLiteral("LCID"), 1031));
    }
}

void WriteInstallation(const QString& pathOption, QTextStream& out) {
    const QString& studio = StudioKeys::Studio;
    QString installPath;
    if (!pathOption.isEmpty()) {
        // A local folder inside a drive of the prefix is stored as the studio would see it.
        installPath =
            pathOption.contains(QLatin1Char('\\')) ? pathOption : WindowsPath::FromLocal(pathOption);
        MakeFolder(installPath);
        Write(HKEY_LOCAL_MACHINE, studio, RegValue::String(QStringLiteral("Path"), installPath));
    } else {
        installPath = Keep(HKEY_LOCAL_MACHINE, studio, QStringLiteral("Path"), DefaultInstallPath);
        MakeFolder(installPath);
    }
    out << "installation " << installPath << Qt::endl;
    Write(HKEY_LOCAL_MACHINE, studio, RegValue::String(QStringLiteral("Version"), Version));
}

void WriteMakerFolders(const StudioToolContext& context, QTextStream& out) {
    MakeFolder(Keep(HKEY_LOCAL_MACHINE, StudioKeys::Maker, QStringLiteral("MainDir"), MainDir));
    const QString common = Keep(HKEY_LOCAL_MACHINE, StudioKeys::Maker, QStringLiteral("Common"), CommonDir);
    const QString helpFiles = MakeFolder(common + QStringLiteral("\\HelpFiles"));
    const QString shippedHelp =
        QDir::cleanPath(context.programDir + QStringLiteral("/../share/kx4toolbox/help"));
    if (QFileInfo(shippedHelp).isDir())
        CopyHelpFiles(shippedHelp, helpFiles, out);
}

void WriteDocuments(const StudioToolContext& context, QTextStream& out) {
    const QString personal = Keep(HKEY_CURRENT_USER, StudioKeys::ShellFolders, QStringLiteral("Personal"),
                                  QStringLiteral("C:\\users\\%1\\Documents").arg(context.userName));
    MakeFolder(personal);
    out << "documents " << personal << Qt::endl;
}

void RegisterComponents(const StudioToolContext& context, QTextStream& out) {
    const QString components = QDir::cleanPath(context.programDir + QStringLiteral("/../lib/kx4toolbox"));
    const QString language = components + QLatin1Char('/') + QStringLiteral(KX4_LANGUAGE_PLUGIN_FILE);
    if (!QFileInfo(language).isFile())
        throw Failure(Failure::FileNotFound,
                      QStringLiteral("component KXLanguage not found: %1").arg(language));
    RegisterClass(QStringLiteral("KXLanguage.Connect"), language, out);
    Write(HKEY_LOCAL_MACHINE, StudioKeys::ServerComponents + QStringLiteral("\\KXLanguage"),
          RegValue::String(QStringLiteral("Editor"), QStringLiteral("KXLanguage")));
    const QString explorer = components + QLatin1Char('/') + QStringLiteral(KX4_EXPLORER_PLUGIN_FILE);
    if (QFileInfo(explorer).isFile())
        RegisterClass(QStringLiteral("KXProjectExplorer.Explorer"), explorer, out);
}

void RegisterSystemInformation(const StudioToolContext& context, QTextStream& out) {
    for (const QString& program : context.systemInfoPrograms) {
        if (QFileInfo(program).isExecutable()) {
            Write(HKEY_LOCAL_MACHINE, StudioKeys::SystemInformation,
                  RegValue::String(QStringLiteral("PATH"), program));
            out << "system information " << program << Qt::endl;
            return;
        }
    }
}

} // namespace

void Run(const Options& options, const StudioToolContext& context, QTextStream& out) {
    MakePrefix(out);
    WriteLocale(options.lcid);
    WriteInstallation(options.installPath, out);
    WriteMakerFolders(context, out);
    WriteDocuments(context, out);
    RegisterComponents(context, out);
    RegisterSystemInformation(context, out);
}

} // namespace StudioSetup
