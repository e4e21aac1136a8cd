// Sets up a prefix for the frame benchmark and the screenshots: the studio's keys, the project
// explorer registered, and a demo project "Demo" with a few index groups and texts; with --large
// also "Large", 100 groups of 10,000 indexes in 3 languages (3 million texts).
//   make_demo_prefix PREFIX EXPLORER_PLUGIN [LCID] [--large]
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectTransaction.h"
#include "platform/registry/Registry.h"
#include "studio/Failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

const QString StudioKey = QStringLiteral("Software\\HALVERN GmbH\\Kestrix\\4.0");

struct Text {
    const char* group;
    int index;
    const char* german;
    const char* english;
};

const Text DemoTexts[] = {
    {"Alarme", 1, "Sammelstörung", "General fault"},
    {"Alarme", 2, "Not-Aus betätigt", "Emergency stop pressed"},
    {"Alarme\\Kessel", 1, "Kesseldruck zu hoch", "Boiler pressure too high"},
    {"Alarme\\Kessel", 2, "Kesseltemperatur zu hoch", "Boiler temperature too high"},
    {"Alarme\\Kessel", 3, "Brenner gestört", "Burner fault"},
    {"Alarme\\Pumpen", 1, "Pumpe 1 Motorschutz", "Pump 1 motor protection"},
    {"Alarme\\Pumpen", 2, "Pumpe 2 Motorschutz", "Pump 2 motor protection"},
    {"Meldungen", 1, "Anlage gestartet", "Plant started"},
    {"Meldungen", 2, "Anlage gestoppt", "Plant stopped"},
    {"Meldungen", 3, "Handbetrieb", "Manual mode"},
    {"Bedienung", 1, "Start", "Start"},
    {"Bedienung", 2, "Stopp", "Stop"},
    {"Bedienung", 3, "Quittieren", "Acknowledge"},
};

// Groups "Gruppe 000".. of indexes 1.. in each language, in one change.
void MakeLarge(const QString& file, int groups, int indexes) {
    QFile::remove(file);
    auto project = ProjectFile::Create(
        file, {QStringLiteral("Deutsch"), QStringLiteral("English"), QStringLiteral("Italiano")});
    const QList<qint64> languages = project->LanguageIds();
    const char* const words[] = {"Meldung %1 der Anlage", "Plant message %1", "Messaggio %1 dell'impianto"};
    ProjectTransaction transaction(project->Database(), ProjectTransaction::Kind::Write);
    for (int g = 0; g < groups; ++g) {
        const qint64 group = project->CreateGroup(ProjectFile::TopLevel,
                                                  QStringLiteral("Gruppe %1").arg(g, 3, 10, QChar('0')));
        for (int i = 1; i <= indexes; ++i)
            for (int l = 0; l < languages.size(); ++l)
                project->SetText(group, i, languages.at(l), QString::fromUtf8(words[l]).arg(i));
    }
    transaction.Commit();
}

bool Set(HKEY root, const QString& key, const RegValue& value) {
    if (RegistryStore::SetValue(root, key, value) == ERROR_SUCCESS)
        return true;
    std::fprintf(stderr, "cannot write %s\\%s\n", qPrintable(key), qPrintable(value.name));
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool large = args.removeAll(QStringLiteral("--large")) > 0;
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: make_demo_prefix PREFIX EXPLORER_PLUGIN [LCID] [--large]\n");
        return 2;
    }
    const QString prefix = QDir(args.at(1)).absolutePath();
    qputenv("KX4_PREFIX", QFile::encodeName(prefix));
    const quint32 lcid = args.size() > 3 ? args.at(3).toUInt() : 1031;
    const QString projects = prefix + QStringLiteral("/projects");
    QDir().mkpath(projects);
    QDir().mkpath(prefix + QStringLiteral("/studio"));

    bool ok =
        Set(HKEY_LOCAL_MACHINE, StudioKey, RegValue::Dword("LCID", lcid)) &&
        Set(HKEY_LOCAL_MACHINE, StudioKey, RegValue::String("Path", prefix + "/studio")) &&
        Set(HKEY_CLASSES_ROOT, "KXProjectExplorer.Explorer\\InprocServer32",
            RegValue::String("", args.at(2))) &&
        Set(HKEY_LOCAL_MACHINE, StudioKey + "\\Projects\\Demo", RegValue::String("ProjectType", "Single")) &&
        Set(HKEY_LOCAL_MACHINE, StudioKey + "\\Projects\\Demo", RegValue::String("Path", projects)) &&
        (!large ||
         (Set(HKEY_LOCAL_MACHINE, StudioKey + "\\Projects\\Large",
              RegValue::String("ProjectType", "Single")) &&
          Set(HKEY_LOCAL_MACHINE, StudioKey + "\\Projects\\Large", RegValue::String("Path", projects))));
    if (!ok)
        return 1;
    try {
        const QString file = projects + QStringLiteral("/Demo.kxs");
        QFile::remove(file);
        auto project = ProjectFile::Create(file, {QStringLiteral("Deutsch"), QStringLiteral("English")});
        const QList<qint64> languages = project->LanguageIds();
        for (const Text& text : DemoTexts) {
            const qint64 group = project->EnsureGroup(QString::fromUtf8(text.group));
            project->SetText(group, text.index, languages.at(0), QString::fromUtf8(text.german));
            project->SetText(group, text.index, languages.at(1), QString::fromUtf8(text.english));
        }
        std::printf("%s\n", qPrintable(file));
        if (large) {
            MakeLarge(projects + QStringLiteral("/Large.kxs"), 100, 10000);
            std::printf("%s\n", qPrintable(projects + QStringLiteral("/Large.kxs")));
        }
    } catch (const Failure& failure) {
        std::fprintf(stderr, "%s\n", qPrintable(failure.Text()));
        return 1;
    }
    return 0;
}
