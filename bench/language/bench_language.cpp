// Benchmarks of the language editor component, run by hand, and the CSV that run.sh uses:
//   bench_language copy [RUNS]  a group of 100,000 indexes in three languages copied into another
//                          project through the component, against SQLite INSERT ... SELECT
//   bench_language script  a 10,000-line script of copies of 10-text groups through the runner
//   bench_language csv FILE GROUPS INDEXES   the CSV that run.sh imports and exports
// Everything else happens in a temporary prefix and folder.

#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectTransaction.h"
#include "platform/core/ObjectFactory.h"
#include "platform/registry/Registry.h"
#include "script/MScriptScan.h"
#include "studio/Failure.h"
#include "studio/IEditorAddIn.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"

#include "common/PeakMemory.h"
#include <QCoreApplication>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

const QStringList Languages = {"1031", "1033", "1040"};

QString TextOf(int index, int language) {
    static const char* const words[] = {"Kesseldruck zu hoch, Ventil %1 prüfen",
                                        "Boiler pressure too high, check valve %1",
                                        "Pressione caldaia troppo alta, valvola %1"};
    return QString::fromUtf8(words[language]).arg(index);
}

// A project with groups named prefix0.. each of indexes texts in every language.
void Fill(const QString& path, const QString& prefix, int groups, int indexes, int languages) {
    auto project = ProjectFile::Create(path, Languages.mid(0, languages));
    ProjectTransaction transaction(project->Database(), ProjectTransaction::Kind::Write);
    const QList<qint64> ids = project->LanguageIds();
    for (int g = 0; g < groups; ++g) {
        const qint64 group = project->CreateGroup(ProjectFile::TopLevel, prefix + QString::number(g));
        for (int i = 1; i <= indexes; ++i)
            for (int l = 0; l < languages; ++l)
                project->SetText(group, i, ids.at(l), TextOf(i, l));
    }
    transaction.Commit();
}

void RegisterComponent() {
    RegistryStore::SetValue(HKEY_CLASSES_ROOT, "KXLanguage.Connect\\InprocServer32",
                            RegValue::String("", KX4_LANGUAGE_PLUGIN));
    RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::ServerComponents + "\\KXLanguage",
                            RegValue::String("Editor", "KXLanguage"));
}

ObjectRef Editor(const QString& project, IEditorAddIn** addIn) {
    QString why;
    ObjectRef object = ObjectFactory::Create("KXLanguage.Connect", &why);
    *addIn = ObjectFactory::Query<IEditorAddIn>(object);
    if (!*addIn || !(*addIn)->Connect(project, "", nullptr, nullptr) ||
        !(*addIn)->StartEditor("", "IDX0", ""))
        throw Failure(Failure::CannotCreateObject, "cannot start the editor: " + why);
    return object;
}

double BaselineSeconds(const QString& source, const QString& target, const QString& name) {
    ProjectDatabase db(target, ProjectDatabase::Mode::ReadWrite);
    db.Execute("PRAGMA synchronous = FULL");
    QElapsedTimer timer;
    timer.start();
    db.Execute(QByteArray("ATTACH '" + source.toUtf8() + "' AS src").constData());
    db.Execute("BEGIN IMMEDIATE");
    db.Execute(QByteArray("INSERT INTO groups(parent, name, folded, position) VALUES(0, '" + name.toUtf8() +
                          "', '" + name.toLower().toUtf8() +
                          "', 1 + (SELECT COALESCE(MAX(position), 0) FROM groups WHERE parent = 0))")
                   .constData());
    db.Execute("INSERT INTO texts(grp, idx, language, text) SELECT last_insert_rowid(), idx, language, text "
               "FROM src.texts WHERE grp = (SELECT id FROM src.groups WHERE name = 'Gross0')");
    db.Execute("COMMIT");
    const double seconds = timer.nsecsElapsed() / 1e9;
    db.Execute("DETACH src");
    return seconds;
}

int BenchCopy(const QTemporaryDir& dir, int runs) {
    const QString source = dir.filePath("Quelle.kxs");
    const QString target = dir.filePath("Ziel.kxs");
    const QString baseline = dir.filePath("Vergleich.kxs");
    Fill(source, "Gross", 1, 100000, 3);
    Fill(target, "Klein", 1, 10, 3);
    Fill(baseline, "Klein", 1, 10, 3);
    RegisterComponent();
    std::printf("copy of a group of 100,000 indexes x 3 languages (300,000 texts), %d runs\n", runs);
    QList<double> ratios;
    for (int run = 1; run <= runs; ++run) {
        const double base = BaselineSeconds(source, baseline, QString("Kopie%1").arg(run));
        IEditorAddIn* read = nullptr;
        IEditorAddIn* write = nullptr;
        ObjectRef keepRead = Editor(source, &read);
        ObjectRef keepWrite = Editor(target, &write);
        PeakMemory::Reset();
        const long before = PeakMemory::KiB();
        QElapsedTimer timer;
        timer.start();
        QVariant copy;
        const QVariantList pasteTail = {
            "<IndexGroups>", QString("Kopie%1").arg(run), true, "", Variant::Int16(0), true};
        if (!read->Message("GLOBAL", "Copy", QVariantList{"<IndexGroups>", "Gross0"}, &copy))
            throw Failure(Failure::InvalidCall, read->LastError());
        const double copied = timer.nsecsElapsed() / 1e9;
        if (!write->Message("GLOBAL", "Paste", QVariantList{copy} + pasteTail, nullptr))
            throw Failure(Failure::InvalidCall, write->LastError());
        copy = QVariant();
        const double ours = timer.nsecsElapsed() / 1e9;
        ratios << ours / base;
        std::printf(
            "  run %d: INSERT ... SELECT %.3f s, component Copy+Paste %.3f s (copy %.3f s), ratio %.2f, "
            "peak memory %ld MiB (resident before %ld MiB)\n",
            run, base, ours, copied, ours / base, PeakMemory::KiB() / 1024, before / 1024);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("  median ratio %.2f\n", ratios.at(ratios.size() / 2));
    return 0;
}

int BenchScript(const QTemporaryDir& dir) {
    const QString source = dir.filePath("Quelle.kxs");
    const QString target = dir.filePath("Ziel.kxs");
    Fill(source, "Gruppe", 1000, 10, 1);
    Fill(target, "Bestand", 1, 10, 1);
    RegisterComponent();
    const int lines = 10000;
    QFile script(dir.filePath("script.txt"));
    script.open(QIODevice::WriteOnly);
    script.write(QString("set dbread \"%1\"\r\nset dbwrite \"%2\"\r\n").arg(source, target).toUtf8());
    for (int i = 0; i < lines - 2; ++i)
        script.write(QString("copy \"Gruppe%1\" \"Kopie%2\"\r\n").arg(i % 1000).arg(i % 2000).toUtf8());
    script.close();
    PeakMemory::Reset();
    QElapsedTimer timer;
    timer.start();
    MScriptScan::RunScriptFile(script.fileName());
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("script of %d lines (2 set, %d copies of 10-text groups, half of them replacing): %.2f s, "
                "%.0f lines/s, peak memory %ld MiB\n",
                lines, lines - 2, seconds, lines / seconds, PeakMemory::KiB() / 1024);
    return 0;
}

// The CSV that run.sh imports and whose project it exports: groups "Bereich A\\Gruppe B" of
// indexes each in three languages; the texts hold commas, so every one is quoted.
int WriteCsv(const QString& path, int groups, int indexes) {
    QFile csv(path);
    if (!csv.open(QIODevice::WriteOnly))
        throw Failure(Failure::FileNotFound, "cannot write " + path);
    QByteArray block = "group,index,1031,1033,1040\r\n";
    for (int g = 0; g < groups; ++g) {
        const QByteArray group = QString("Bereich %1\\Gruppe %2").arg(g / 10).arg(g).toUtf8();
        for (int i = 1; i <= indexes; ++i) {
            block += group + ',' + QByteArray::number(i);
            for (int language = 0; language < 3; ++language)
                block += ",\"" + TextOf(i, language).toUtf8() + '"';
            block += "\r\n";
            if (block.size() > (1 << 20)) {
                csv.write(block);
                block.clear();
            }
        }
    }
    csv.write(block);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir prefix, dir;
    qputenv("KX4_PREFIX", prefix.path().toLocal8Bit());
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("all");
    try {
        if (mode == "csv" && argc == 5)
            return WriteCsv(QString::fromLocal8Bit(argv[2]), atoi(argv[3]), atoi(argv[4]));
        int status = 0;
        if (mode == "copy" || mode == "all")
            status |= BenchCopy(dir, argc > 2 ? atoi(argv[2]) : 3);
        if (mode == "script" || mode == "all")
            status |= BenchScript(dir);
        return status;
    } catch (const Failure& failure) {
        std::fprintf(stderr, "bench_language: %s\n", qPrintable(failure.Text()));
        return 1;
    }
}
