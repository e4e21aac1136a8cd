#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

// The whole chain as processes: kx4studio sets up a prefix and makes and registers projects,
// kx4toolbox runs a script on them silently, kx4studio export shows what the script did.
class tst_Kx4StudioChain : public QObject {
    Q_OBJECT

    struct Outcome {
        int status = -1;
        QString out;
        QString err;
    };

    static QString Program(const char* name) {
        return qEnvironmentVariable("KX4_BUILD_DIR") + "/bin/" + name;
    }

    Outcome Start(const QString& program, const QStringList& args) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KX4_PREFIX", m_prefix->path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        process.setProcessEnvironment(environment);
        process.start(program, args);
        Outcome outcome;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return outcome;
        outcome.status = process.exitCode();
        outcome.out = QString::fromUtf8(process.readAllStandardOutput());
        outcome.err = QString::fromUtf8(process.readAllStandardError());
        return outcome;
    }

    Outcome Studio(const QStringList& args) { return Start(Program("kx4studio"), args); }

    void WriteOnDriveC(const QString& name, const QByteArray& data) {
        const QString path = m_prefix->filePath("drives/c/" + name);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
    }

    QString Write(const QString& name, const QByteArray& data) {
        const QString path = m_files->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return {};
        return path;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!QFileInfo(Program("kx4toolbox")).isExecutable())
            QSKIP("bin/kx4toolbox is not built yet: the chain needs the program that runs scripts");
    }

    void init() {
        m_prefix.reset(new QTemporaryDir);
        m_files.reset(new QTemporaryDir);
        QCOMPARE(Studio({"setup"}).status, 0);
        const QString csv = Write("quelle.csv", "group,index,1031,1033\n"
                                                "Alarme,1,Kessel heiß,Boiler hot\n"
                                                "Alarme\\Pumpe,1,Pumpe aus,Pump off\n"
                                                "Meldungen,1,Start neu,Start new\n"
                                                "Meldungen,2,Stopp,Stop\n");
        QCOMPARE(Studio({"new", "C:\\Projekte\\Quelle\\Quelle.kxs"}).status, 0);
        QCOMPARE(Studio({"import", "C:\\Projekte\\Quelle\\Quelle.kxs", csv}).status, 0);
        QCOMPARE(Studio({"register", "C:\\Projekte\\Quelle\\Quelle.kxs"}).status, 0);
        const QString target = Write("ziel.csv", "group,index,1031\n"
                                                 "Meldungen,1,Start\n"
                                                 "Meldungen,3,Nur hier\n"
                                                 "Alt,1,weg\n");
        QCOMPARE(Studio({"new", "C:\\Projekte\\Ziel\\Ziel.kxs"}).status, 0);
        QCOMPARE(Studio({"import", "C:\\Projekte\\Ziel\\Ziel.kxs", target}).status, 0);
        QCOMPARE(Studio({"register", "C:\\Projekte\\Ziel\\Ziel.kxs"}).status, 0);
    }

    void scriptRunsOnRegisteredProjects() {
        const QString script = Write("script.txt", "set dbread \"Quelle\"\r\n"
                                                   "set dbwrite \"C:\\Projekte\\Ziel\\Ziel.kxs\"\r\n"
                                                   "addlanguage \"1033\"\r\n"
                                                   "copy \"Alarme\" \"Alarme\"\r\n"
                                                   "copynonh \"Alarme\" \"Flach\"\r\n"
                                                   "updategroup \"Meldungen\" \"Meldungen\"\r\n"
                                                   "rename \"Flach\" \"Eben\"\r\n"
                                                   "delete \"Alt\"\r\n");
        const Outcome run = Start(Program("kx4toolbox"), {"/s", script});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        const Outcome exported = Studio({"export", "Ziel"});
        QCOMPARE(exported.status, 0);
        QCOMPARE(exported.out, QString("group,index,1031,1033\r\n"
                                       "Meldungen,1,Start neu,Start new\r\n"
                                       "Meldungen,2,Stopp,Stop\r\n"
                                       "Meldungen,3,Nur hier,\r\n"
                                       "Alarme,1,Kessel heiß,Boiler hot\r\n"
                                       "Alarme\\Pumpe,1,Pumpe aus,Pump off\r\n"
                                       "Eben,1,Kessel heiß,Boiler hot\r\n"));
    }

    // Scripts in every encoding the program reads, given by a Windows-style path on drive C:.
    void scriptEncodings_data() {
        QTest::addColumn<QByteArray>("script");
        const QString text =
            "set dbread \"Quelle\"\r\nset dbwrite \"Ziel\"\r\ncopy \"Alarme\" \"Grüße €\"\r\n";
        const auto encoded = [&text](QStringConverter::Encoding encoding, bool mark) {
            QStringEncoder encoder(encoding,
                                   mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
            return QByteArray(encoder.encode(text));
        };
        QTest::newRow("UTF-8 with mark") << encoded(QStringConverter::Utf8, true);
        QTest::newRow("UTF-8 without mark") << encoded(QStringConverter::Utf8, false);
        QTest::newRow("legacy Windows-1252")
            << QByteArray("set dbread \"Quelle\"\r\nset dbwrite \"Ziel\"\r\ncopy \"Alarme\" \"Gr\xFC\xDF"
                          "e \x80\"\r\n");
        QTest::newRow("UTF-16 LE without mark") << encoded(QStringConverter::Utf16LE, false);
        QTest::newRow("UTF-16 BE without mark") << encoded(QStringConverter::Utf16BE, false);
    }
    void scriptEncodings() {
        QFETCH(QByteArray, script);
        const QString before = Studio({"export", "Ziel"}).out;
        WriteOnDriveC("Skripte/lauf.txt", script);
        const Outcome run = Start(Program("kx4toolbox"), {"/s", "C:\\SKRIPTE\\Lauf.txt"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QCOMPARE(Studio({"export", "Ziel"}).out,
                 before + "Grüße €,1,Kessel heiß\r\nGrüße €\\Pumpe,1,Pumpe aus\r\n");
    }

    void failingScriptStopsAndNamesWhy_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("why");
        QTest::newRow("mistyped project path")
            << QByteArray("set dbwrite \"D:\\Prj\\Demo.kxs\"\r\naddlanguage \"fr\"\r\n")
            << "project \"D:\\Prj\\Demo.kxs\" not found";
        QTest::newRow("missing group, later lines not run")
            << QByteArray("set dbread \"Quelle\"\r\nset dbwrite \"Ziel\"\r\ncopy \"Fehlt\" \"X\"\r\ndelete "
                          "\"Alt\"\r\n")
            << "index group \"Fehlt\" not found in";
        QTest::newRow("rename into a missing parent")
            << QByteArray("set dbwrite \"Ziel\"\r\nrename \"Alt\" \"Nirgends\\Tief\\Neu\"\r\n")
            << "index group \"Nirgends\" not found in";
        // A refused file runs nothing, also the lines before the one that is refused.
        const QByteArray sides = "set dbread \"Quelle\"\r\nset dbwrite \"Ziel\"\r\ndelete \"Alt\"\r\n";
        QTest::newRow("stray byte in a remark of a UTF-8 file")
            << sides + "copy \"Alarme\" \"M\xC3\xBCller\"\r\n' caf\xE9\r\n"
            << "C:\\Skripte\\bad.txt, line 5, column 6: byte 0xE9 starts an incomplete UTF-8 sequence, "
               "though line 4 "
               "is UTF-8";
        QTest::newRow("UTF-8 after a Windows-1252 line")
            << sides + "' \xE4ltere Fassung\r\ncopy \"Alarme\" \"M\xC3\xBCller\"\r\n"
            << "C:\\Skripte\\bad.txt, line 5, column 17: a UTF-8 sequence, though line 4 is not UTF-8";
        QTest::newRow("stray byte under a UTF-8 mark")
            << "\xEF\xBB\xBF" + sides + "copy \"Alarme\" \"M\xFCller\"\r\n"
            << "C:\\Skripte\\bad.txt, line 4, column 17: byte 0xFC is not UTF-8";
        QTest::newRow("NUL bytes that are no UTF-16") << sides + QByteArray("copy \"Alarme\"\0 \"X\"\r\n", 20)
                                                      << "C:\\Skripte\\bad.txt, line 4, column 14: NUL byte";
    }
    void failingScriptStopsAndNamesWhy() {
        QFETCH(QByteArray, script);
        QFETCH(QString, why);
        const QString before = Studio({"export", "Ziel"}).out;
        WriteOnDriveC("Skripte/bad.txt", script);
        const Outcome run = Start(Program("kx4toolbox"), {"/s", "C:\\Skripte\\bad.txt"});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(why), qPrintable(run.err));
        QCOMPARE(Studio({"export", "Ziel"}).out, before);
    }

private:
    std::unique_ptr<QTemporaryDir> m_prefix;
    std::unique_ptr<QTemporaryDir> m_files;
};

QTEST_GUILESS_MAIN(tst_Kx4StudioChain)
#include "tst_Kx4StudioChain.moc"
