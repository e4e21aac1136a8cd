#include "kx4studio/ProjectCommands.h"

#include "ProjectData/ProjectCsv.h"
#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectLocator.h"
#include "ProjectData/ProjectTransaction.h"
#include "kx4studio/CommandOutput.h"
#include "kx4studio/ToolArguments.h"
#include "kx4studio/WindowsPath.h"
#include "platform/core/Prefix.h"
#include "platform/registry/RegErrorText.h"
#include "platform/registry/Registry.h"
#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"
#include "studio/ProjectTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace ProjectCommands {

namespace {

Failure Invalid(const QString& why) { return Failure(Failure::InvalidCall, why); }

QString ProjectKey(const QString& name) { return StudioKeys::Projects + QLatin1Char('\\') + name; }

// A registry failure other than a missing key or value, naming the hive file.
Failure RegistryFailure(long rc, const QString& what) {
    return Failure(
        int(rc), QStringLiteral("cannot %1: %2").arg(what, RegistryStore::Describe(rc, HKEY_LOCAL_MACHINE)));
}

QString RegistryText(const QString& key, const QString& name) {
    RegValue value;
    const long rc = RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, key, name, &value);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        throw RegistryFailure(rc, QStringLiteral("read HKEY_LOCAL_MACHINE\\%1 \"%2\"").arg(key, name));
    return value.Text();
}

void WriteValue(const QString& key, const RegValue& value) {
    const long rc = RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, value);
    if (rc != ERROR_SUCCESS)
        throw RegistryFailure(rc, QStringLiteral("write HKEY_LOCAL_MACHINE\\%1 \"%2\"").arg(key, value.name));
}

// A file named on the command line: local, or Windows-style through the prefix.
QString LocalFile(const QString& path) {
    return path.contains(QLatin1Char('\\')) ? Prefix::ToLocalPathNoCase(path) : path;
}

void PrintGroup(const ProjectFile& project, const GroupInfo& group, int depth, const QList<qint64>& languages,
                const QStringList& names, QTextStream& out) {
    const QMap<qint64, qint64> counts = project.TextCounts(group.id);
    QStringList parts;
    for (int i = 0; i < languages.size(); ++i)
        parts << QStringLiteral("%1: %2").arg(names.at(i)).arg(counts.value(languages.at(i)));
    out << QString(depth * 2, QLatin1Char(' ')) << group.name;
    if (!parts.isEmpty())
        out << " (" << parts.join(QStringLiteral(", ")) << ')';
    out << Qt::endl;
    for (const GroupInfo& child : project.Children(group.id))
        PrintGroup(project, child, depth + 1, languages, names, out);
}

} // namespace

void New(const ToolArguments& args, QTextStream& out) {
    const QString file = LocalFile(args.Positional(0));
    if (!ProjectTypes::NamesProjectFile(file))
        throw Invalid(QStringLiteral("%1: a project file ends in .kxs").arg(args.Positional(0)));
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        throw Invalid(QStringLiteral("cannot create folder %1").arg(folder));
    const auto project = ProjectFile::Create(file, args.Values(QStringLiteral("language")));
    out << "created " << project->Path() << Qt::endl;
}

void Register(const ToolArguments& args, QTextStream& out) {
    const QFileInfo file(LocalFile(args.Positional(0)));
    if (!file.isFile())
        throw Failure(Failure::FileNotFound,
                      QStringLiteral("project file %1 not found").arg(args.Positional(0)));
    const bool group = file.suffix().compare(QLatin1String("vbg"), Qt::CaseInsensitive) == 0;
    const QString type =
        args.Value(QStringLiteral("type"), group ? QStringLiteral("Group") : QStringLiteral("Single"));
    if (!ProjectTypes::Names().contains(type))
        throw Invalid(QStringLiteral("project type \"%1\" is none of %2")
                          .arg(type, ProjectTypes::Names().join(QStringLiteral(", "))));
    // The registration names the file as Path\Name plus the type's extension, so both must fit.
    const QString extension = ProjectTypes::FileExtension(ProjectTypes::CodeOf(type)).mid(1);
    if (file.suffix().compare(extension, Qt::CaseInsensitive) != 0)
        throw Invalid(QStringLiteral("a project of type \"%1\" is a .%2 file, not %3")
                          .arg(type, extension, file.fileName()));
    const QString name = args.Value(QStringLiteral("name"), file.completeBaseName());
    if (name.compare(file.completeBaseName(), Qt::CaseInsensitive) != 0)
        throw Invalid(QStringLiteral("name \"%1\" would register %2.%3, not %4")
                          .arg(name, name, extension, file.fileName()));
    if (name.contains(QLatin1Char('\\')))
        throw Invalid(QStringLiteral("project name \"%1\" holds a backslash").arg(name));
    if (!group) {
        // Refuses a file that is no project, with the reason.
        const ProjectFile project(file.absoluteFilePath(), ProjectFile::Access::Read);
    }
    const QString folder = WindowsPath::FromLocal(file.absolutePath());
    WriteValue(ProjectKey(name), RegValue::String(QStringLiteral("ProjectType"), type));
    WriteValue(ProjectKey(name), RegValue::String(QStringLiteral("Path"), folder));
    out << "registered " << name << " (" << type << ") in " << folder << Qt::endl;
}

void Unregister(const ToolArguments& args, QTextStream& out) {
    const QString name = args.Positional(0);
    if (name.isEmpty() || name.contains(QLatin1Char('\\')) ||
        !RegistryStore::KeyExists(HKEY_LOCAL_MACHINE, ProjectKey(name)))
        throw Failure(Failure::FileNotFound, QStringLiteral("project \"%1\" is not registered").arg(name));
    const long rc = RegistryStore::DeleteTree(HKEY_LOCAL_MACHINE, ProjectKey(name));
    if (rc != ERROR_SUCCESS)
        throw RegistryFailure(rc, QStringLiteral("delete HKEY_LOCAL_MACHINE\\%1").arg(ProjectKey(name)));
    out << "unregistered " << name << Qt::endl;
}

void List(const ToolArguments&, QTextStream& out) {
    QStringList names;
    const long rc = RegistryStore::EnumKeys(HKEY_LOCAL_MACHINE, StudioKeys::Projects, &names);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        throw RegistryFailure(rc, QStringLiteral("list HKEY_LOCAL_MACHINE\\%1").arg(StudioKeys::Projects));
    for (const QString& name : std::as_const(names)) {
        const QString type = RegistryText(ProjectKey(name), QStringLiteral("ProjectType"));
        const QString path = RegistryText(ProjectKey(name), QStringLiteral("Path"));
        // Present or missing by the rule of the program's project list.
        const QString file = ProjectTypes::RegisteredFile(path, name, ProjectTypes::CodeOf(type));
        const bool present = StudioUtilities().Files().FileExists(file);
        out << name << '\t' << type << '\t' << path << '\t' << (present ? "present" : "missing") << Qt::endl;
    }
}

void Groups(const ToolArguments& args, QTextStream& out) {
    const ProjectFile project(ProjectLocator::Resolve(args.Positional(0)), ProjectFile::Access::Read);
    ProjectTransaction snapshot(project.Database(), ProjectTransaction::Kind::Read);
    const QStringList names = project.Languages();
    const QList<qint64> languages = project.LanguageIds();
    out << project.Path() << ": languages "
        << (names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "))) << Qt::endl;
    for (const GroupInfo& group : project.Children(ProjectFile::TopLevel))
        PrintGroup(project, group, 0, languages, names, out);
    snapshot.Commit();
}

void Export(const ToolArguments& args, QTextStream& out, const ProjectCsv::Progress& progress) {
    const ProjectFile project(ProjectLocator::Resolve(args.Positional(0)), ProjectFile::Access::Read);
    const CommandOutput output(out);
    ProjectCsv::Export(project, args.Value(QStringLiteral("group")), output.Device(), progress);
}

void Import(const ToolArguments& args, QTextStream& out, const ProjectCsv::Progress& progress) {
    ProjectFile project(ProjectLocator::Resolve(args.Positional(0)));
    QFile csv(args.Positional(1));
    if (!csv.open(QIODevice::ReadOnly))
        throw Failure(Failure::FileNotFound,
                      QStringLiteral("cannot read %1: %2").arg(csv.fileName(), csv.errorString()));
    const qsizetype rows = ProjectCsv::Import(project, &csv, csv.fileName(), progress);
    out << "imported " << rows << " rows into " << project.Path() << Qt::endl;
}

} // namespace ProjectCommands
