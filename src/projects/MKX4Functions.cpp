#include "projects/MKX4Functions.h"

#include "platform/windows/MessageBox.h"
#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"
#include "texts/MResources.h"

namespace {

const QString DocumentsProjects = QStringLiteral("\\KestrixStudio\\Projects");

void ShowInstallationMessage(qint32 textId, const QVariantList& args) {
    const QString text = MResources::GetResMessage(textId, args);
    const QString title = MResources::GetResMessage(90, {Variant::Int16(qint16(textId))});
    MessageBox::Show(text, title, MessageBox::Icon::Critical);
}

QString ReadText(HKEY root, const QString& key, const QString& name) {
    return Variant::ToText(StudioUtilities().Registry().GetValue(root, key, name, QString()));
}

// The user folders are a convenience: a failing statement there has no effect and the next runs.
template <class Step> void Resume(Step step) {
    try {
        step();
    } catch (const Failure&) {
    }
}

// True when the folder could be created (or already existed); the pending failure is the test.
bool TryCreateFolder(const QString& path) {
    try {
        StudioUtilities().Folders().CreateFolder(path);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

} // namespace

namespace MKX4Functions {

InstallSettingsRecord& InstallSettings() {
    static InstallSettingsRecord record;
    return record;
}

bool ReadInstallSettings() {
    InstallSettingsRecord& settings = InstallSettings();
    IRegistryService& registry = StudioUtilities().Registry();

    settings.LCID = StudioLcid();

    QString candidate = ReadText(HKEY_LOCAL_MACHINE, StudioKeys::Studio, QStringLiteral("Path"));
    if (candidate.isEmpty()) {
        ShowInstallationMessage(91, {});
    } else if (!StudioUtilities().Folders().FolderExists(candidate)) {
        ShowInstallationMessage(92, {candidate});
        candidate.clear();
    }
    settings.Path = candidate;
    if (candidate.isEmpty())
        return false;

    settings.MainDir = ReadText(HKEY_LOCAL_MACHINE, StudioKeys::Maker, QStringLiteral("MainDir"));
    settings.Common = ReadText(HKEY_LOCAL_MACHINE, StudioKeys::Maker, QStringLiteral("Common"));
    settings.Version = ReadText(HKEY_LOCAL_MACHINE, StudioKeys::Studio, QStringLiteral("Version"));

    QString projects;
    Resume([&] {
        projects = ReadText(HKEY_CURRENT_USER, StudioKeys::Studio, QStringLiteral("DefaultProjectsPath"));
    });
    if (projects.isEmpty()) {
        QString personal;
        Resume([&] {
            personal = ReadText(HKEY_CURRENT_USER, StudioKeys::ShellFolders, QStringLiteral("Personal"));
        });
        projects = personal + DocumentsProjects;
        if (!TryCreateFolder(projects)) {
            projects.clear();
        } else {
            Resume([&] {
                registry.SetValue(HKEY_CURRENT_USER, StudioKeys::Studio,
                                  QStringLiteral("DefaultProjectsPath"), projects, REG_SZ);
            });
        }
    } else {
        bool exists = true;
        Resume([&] { exists = StudioUtilities().Folders().FolderExists(projects); });
        if (!exists && !TryCreateFolder(projects))
            projects.clear();
    }
    settings.DefaultProjectsPath = projects;

    QString templates;
    Resume([&] {
        templates = ReadText(HKEY_CURRENT_USER, StudioKeys::Studio, QStringLiteral("TemplatesPath"));
    });
    if (templates.isEmpty()) {
        QString personal;
        Resume([&] {
            personal = ReadText(HKEY_CURRENT_USER, StudioKeys::ShellFolders, QStringLiteral("Personal"));
        });
        templates = personal + QStringLiteral("\\KestrixStudio") + QStringLiteral("\\Templates");
    }
    settings.TemplatesPath = templates;
    return true;
}

} // namespace MKX4Functions
