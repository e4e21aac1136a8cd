#include "common/TempPrefix.h"
#include "platform/core/Prefix.h"

#include <QDir>
#include <QTest>
#include <optional>

class tst_Prefix : public QObject {
    Q_OBJECT
    std::optional<TestSupport::TempPrefix> m_prefix;

private Q_SLOTS:
    void init() {
        // A prefix with drive c only, and a tree of mixed-case names in it.
        QVERIFY(m_prefix.emplace().IsValid());
        QVERIFY(QDir().mkpath(m_prefix->Path() + "/drives/c/Program Files/KestrixStudio/HelpFiles"));
        QVERIFY(QFile(m_prefix->Path() + "/drives/c/Program Files/KestrixStudio/HelpFiles/Toolbox.chm")
                    .open(QIODevice::WriteOnly));
        QVERIFY(QDir().mkpath(m_prefix->Work() + "/plain/lower/case"));
    }
    void cleanup() { m_prefix.reset(); }

    void path_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("KX4_PREFIX wins") << "/p/x" << "/xdg" << "/p/x";
        QTest::newRow("XDG_DATA_HOME next") << "" << "/xdg" << "/xdg/kx4";
        QTest::newRow("home last") << "" << "" << "/home/u/.local/share/kx4";
        QTest::newRow("relative XDG_DATA_HOME is ignored") << "" << "rel" << "/home/u/.local/share/kx4";
        // clang-format on
    }
    void path() {
        QFETCH(QString, prefix);
        QFETCH(QString, xdg);
        QFETCH(QString, expected);
        const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("KX4_PREFIX", prefix.toUtf8());
        qputenv("XDG_DATA_HOME", xdg.toUtf8());
        qputenv("HOME", "/home/u");
        const QString path = Prefix::Path();
        qputenv("XDG_DATA_HOME", savedXdg);
        qputenv("HOME", savedHome);
        qputenv("KX4_PREFIX", QFile::encodeName(m_prefix->Path()));
        QCOMPARE(path, expected);
    }

    void toLocalPath_data() {
        QTest::addColumn<bool>("noCase"); // ToLocalPathNoCase, else ToLocalPath
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("local"); // "$P" stands for the prefix, "$T" for the folder beside it
        // clang-format off
        QTest::newRow("drive with folder") << false << "C:\\Program Files\\x.txt" << "$P/drives/c/Program Files/x.txt";
        QTest::newRow("bare drive") << false << "C:" << "$P/drives/c";
        QTest::newRow("drive without folder keeps its letter") << false << "D:\\data\\x" << "D:/data/x";
        QTest::newRow("letter and colon later in the path") << false << "ab:\\x" << "ab:/x";
        QTest::newRow("exact case") << true << "C:\\Program Files\\KestrixStudio\\HelpFiles\\Toolbox.chm" << "$P/drives/c/Program Files/KestrixStudio/HelpFiles/Toolbox.chm";
        QTest::newRow("every component in another case") << true << "c:\\PROGRAM FILES\\kestrixstudio\\helpfiles\\TOOLBOX.CHM" << "$P/drives/c/Program Files/KestrixStudio/HelpFiles/Toolbox.chm";
        QTest::newRow("missing file keeps its name") << true << "C:\\program files\\KestrixStudio\\Missing.TXT" << "$P/drives/c/Program Files/KestrixStudio/Missing.TXT";
        QTest::newRow("below a missing folder stays as written") << true << "C:\\Nothing\\HELPFILES" << "$P/drives/c/Nothing/HELPFILES";
        QTest::newRow("plain path matched too") << true << "$T/PLAIN/Lower/CASE" << "$T/plain/lower/case";
        QTest::newRow("trailing slash kept") << true << "$T/Plain/" << "$T/plain/";
        // clang-format on
    }
    void toLocalPath() {
        QFETCH(bool, noCase);
        QFETCH(QString, windows);
        QFETCH(QString, local);
        windows.replace("$T", m_prefix->Work());
        local.replace("$P", Prefix::Path()).replace("$T", m_prefix->Work());
        QCOMPARE(noCase ? Prefix::ToLocalPathNoCase(windows) : Prefix::ToLocalPath(windows), local);
    }

    // Folder listings are remembered; a file added afterwards must still count.
    void noCaseSeesChangesToAFolder() {
        const QString folder = m_prefix->Path() + "/drives/c/Program Files/KestrixStudio/HelpFiles/";
        const QString asked = "C:\\program files\\kestrixstudio\\helpfiles\\NEW.KXS";
        QCOMPARE(Prefix::ToLocalPathNoCase(asked), folder + "NEW.KXS");
        QVERIFY(QFile(folder + "New.kxs").open(QIODevice::WriteOnly));
        QCOMPARE(Prefix::ToLocalPathNoCase(asked), folder + "New.kxs");
    }
};

QTEST_GUILESS_MAIN(tst_Prefix)
#include "tst_Prefix.moc"
