// FProjectOpen::ShowDialog in silent mode over N registrations, half of them stale, then again
// over the N/2 that remain; then where the time of each call goes, and the shown dialog's list.
//
//   bench_FProjectOpen [N [folder [layout]]]
//
// N defaults to 10000, folder (where the prefix and the projects go) to the system temp folder.
// layout "own" (the default) gives each project a folder of its own, a stale one keeps its
// empty folder; "shared" puts every project file into one folder.
//
// Run it with N and 2N to see how the cost grows. The prefix is seeded once through the
// registry store and its machine hive copied, so each measurement starts from the same state.
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryBatch.h"
#include "projects/FProjectOpen.h"
#include "projects/MKX4FunctionsSpecial.h"
#include "studio/IStudioUtilities.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>

namespace {

QTextStream out(stdout);

const char* const Types[] = {"Single", "Server", "Client", "Terminal Server", "Terminal Client"};

QString Name(int i) { return QStringLiteral("Project %1").arg(i, 6, 10, QChar('0')); }

// In one change: each of its own would cost a disk flush.
bool Seed(int count, const QString& projectsFolder, bool shared) {
    RegistryBatch batch;
    if (batch.BeginWrite(true, false) != ERROR_SUCCESS)
        return false;
    for (int i = 0; i < count; ++i) {
        const QString folder = shared ? projectsFolder : projectsFolder + '/' + Name(i);
        QDir().mkpath(folder);
        const QString key = StudioKeys::Projects + '\\' + Name(i);
        batch.SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("ProjectType", Types[i % 5]));
        batch.SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("Path", folder));
        if (i % 2 == 0) // every other project keeps its file; the rest are stale
            QFile(folder + '/' + Name(i) + ".kxs").open(QIODevice::WriteOnly);
    }
    return batch.Commit() == ERROR_SUCCESS;
}

bool Restore(const QString& saved) {
    const QString hive = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
    QFile::remove(hive);
    return QFile::copy(saved, hive);
}

double Milliseconds(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

// The listing's parts one kind at a time, first over the registrations as the first call
// found them (restored from saved), then as the second call found them; then the shown
// dialog's list. False when the hive cannot be restored.
bool ShowWhereTimeGoes(const QString& saved) {
    QElapsedTimer timer;
    IStudioUtilities& utilities = StudioUtilities();
    for (const char* state : {"first", "second"}) {
        if (QByteArray(state) == "first" && !Restore(saved)) {
            out << "cannot restore the hive\n";
            return false;
        }
        out << "  as the " << state << " call:\n";
        timer.restart();
        const QStringList names = utilities.Registry().EnumKeys(HKEY_LOCAL_MACHINE, StudioKeys::Projects);
        out << "    EnumKeys:                   " << Milliseconds(timer) << " ms for " << names.size()
            << " keys\n";
        timer.restart();
        QList<RegisteredProject> registrations;
        for (const QString& name : names)
            registrations << MKX4FunctionsSpecial::ReadRegisteredProject(name);
        out << "    ReadRegisteredProject x " << names.size() << ": " << Milliseconds(timer)
            << " ms (GetValue x " << 2 * names.size() << ")\n";
        timer.restart();
        QStringList stale;
        for (const RegisteredProject& project : registrations)
            if (!utilities.Files().FileExists(project.ProjectFile))
                stale << project.Name;
        out << "    FileExists x " << names.size() << ":        " << Milliseconds(timer) << " ms\n";
        timer.restart();
        MKX4FunctionsSpecial::DeleteRegistrations(stale);
        out << "    DeleteRegistrations of " << stale.size() << ":   " << Milliseconds(timer) << " ms\n";
    }
    QTreeWidget list;
    list.setColumnCount(3);
    list.resize(600, 300);
    timer.restart();
    MKX4FunctionsSpecial::FillRegisteredProjects(&list, MKX4FunctionsSpecial::OpenableProjectTypes);
    out << "  the shown dialog's list, FillRegisteredProjects over the " << list.topLevelItemCount() << ": "
        << Milliseconds(timer) << " ms\n";
    return true;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString(argv[1]).toInt() : 10000;
    QTemporaryDir dir(argc > 2 ? QString(argv[2]) + "/kx4bench-XXXXXX"
                               : QDir::tempPath() + "/kx4bench-XXXXXX");
    const QString layout = argc > 3 ? QString(argv[3]) : QStringLiteral("own");
    if (count <= 0 || !dir.isValid() || (layout != "own" && layout != "shared")) {
        out << "usage: bench_FProjectOpen [N [folder [own|shared]]]\n";
        return 2;
    }
    qputenv("KX4_PREFIX", QFile::encodeName(dir.path() + "/prefix"));
    const QString projects = dir.path() + "/projects";
    QDir().mkpath(projects);

    QElapsedTimer timer;
    timer.start();
    if (!Seed(count, projects, layout == "shared")) {
        out << "cannot seed the registrations\n";
        return 1;
    }
    out << "seeded " << count << " registrations (" << layout << " folders) in " << dir.path() << " in "
        << Milliseconds(timer) << " ms\n";
    const QString saved = dir.path() + "/system.db.saved";
    QFile::copy(RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE), saved);

    FProjectOpen& dialog = FProjectOpen::Instance();
    timer.restart();
    dialog.ShowDialog(Name(count - 2), true);
    const double first = Milliseconds(timer);
    timer.restart();
    const QString found = dialog.ShowDialog(Name(count - 2), true);
    const double second = Milliseconds(timer);
    out << "ShowDialog silent over " << count << " (half stale): " << first << " ms\n";
    out << "ShowDialog silent over the " << count / 2 << " left:  " << second << " ms (found \"" << found
        << "\")\n";

    return ShowWhereTimeGoes(saved) ? 0 : 1;
}
