#include "platform/core/Prefix.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

class tst_Prefix : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void path_data();
    void path();
    void toLocalPath_data();
    void toLocalPath();
    void toLocalPathNoCase_data();
    void toLocalPathNoCase();
    void noCaseSeesChangesToAFolder();

private:
    std::optional<QTemporaryDir> m_dir;
};

void tst_Prefix::init() {
    QVERIFY(m_dir.emplace().isValid());
    // A prefix with drive c only, and a tree of mixed-case names in it.
    QVERIFY(QDir().mkpath(m_dir->path() + "/prefix/drives/c/Program Files/KestrixStudio/HelpFiles"));
    QFile file(m_dir->path() + "/prefix/drives/c/Program Files/KestrixStudio/HelpFiles/Toolbox.chm");
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(QDir().mkpath(m_dir->path() + "/plain/lower/case"));
    qputenv("KX4_PREFIX", QFile::encodeName(m_dir->path() + "/prefix"));
}

void tst_Prefix::cleanup() {
    qunsetenv("KX4_PREFIX");
    m_dir.reset();
}

void tst_Prefix::path_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("KX4_PREFIX wins") << "/p/x" << "/xdg" << "/home/u" << "/p/x";
    QTest::newRow("XDG_DATA_HOME next") << "" << "/xdg" << "/home/u" << "/xdg/kx4";
    QTest::newRow("home last") << "" << "" << "/home/u" << "/home/u/.local/share/kx4";
    QTest::newRow("relative XDG_DATA_HOME is ignored") << "" << "rel" << "/home/u" << "/home/u/.local/share/kx4";
    // clang-format on
}

void tst_Prefix::path() {
    QFETCH(QString, prefix);
    QFETCH(QString, xdg);
    QFETCH(QString, home);
    QFETCH(QString, expected);
    const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("KX4_PREFIX", prefix.toUtf8());
    qputenv("XDG_DATA_HOME", xdg.toUtf8());
    qputenv("HOME", home.toUtf8());
    const QString path = Prefix::Path();
    qputenv("XDG_DATA_HOME", savedXdg);
    qputenv("HOME", savedHome);
    QCOMPARE(path, expected);
}

void tst_Prefix::toLocalPath_data() {
    QTest::addColumn<QString>("windows");
    QTest::addColumn<QString>("local"); // "$P" stands for the prefix
    // clang-format off
    QTest::newRow("drive with folder") << "C:\\Program Files\\x.txt" << "$P/drives/c/Program Files/x.txt";
    QTest::newRow("lower-case drive letter") << "c:\\a" << "$P/drives/c/a";
    QTest::newRow("bare drive") << "C:" << "$P/drives/c";
    QTest::newRow("drive without folder keeps its letter") << "D:\\data\\x" << "D:/data/x";
    QTest::newRow("plain Linux path unchanged") << "/usr/share/x" << "/usr/share/x";
    QTest::newRow("relative path") << "sub\\file.txt" << "sub/file.txt";
    QTest::newRow("letter and colon later in the path") << "ab:\\x" << "ab:/x";
    QTest::newRow("network path") << "\\\\server\\share" << "//server/share";
    // clang-format on
}

void tst_Prefix::toLocalPath() {
    QFETCH(QString, windows);
    QFETCH(QString, local);
    local.replace("$P", Prefix::Path());
    QCOMPARE(Prefix::ToLocalPath(windows), local);
}

void tst_Prefix::toLocalPathNoCase_data() {
    QTest::addColumn<QString>("windows");
    QTest::addColumn<QString>("local"); // "$P" the prefix, "$T" the temporary folder
    // clang-format off
    QTest::newRow("exact case") << "C:\\Program Files\\KestrixStudio\\HelpFiles\\Toolbox.chm" << "$P/drives/c/Program Files/KestrixStudio/HelpFiles/Toolbox.chm";
    QTest::newRow("every component in another case") << "c:\\PROGRAM FILES\\kestrixstudio\\helpfiles\\TOOLBOX.CHM" << "$P/drives/c/Program Files/KestrixStudio/HelpFiles/Toolbox.chm";
    QTest::newRow("missing file keeps its name") << "C:\\program files\\KestrixStudio\\Missing.TXT" << "$P/drives/c/Program Files/KestrixStudio/Missing.TXT";
    QTest::newRow("below a missing folder stays as written") << "C:\\Nothing\\HELPFILES" << "$P/drives/c/Nothing/HELPFILES";
    QTest::newRow("plain path matched too") << "$T/PLAIN/Lower/CASE" << "$T/plain/lower/case";
    QTest::newRow("trailing slash kept") << "$T/Plain/" << "$T/plain/";
    // clang-format on
}

void tst_Prefix::toLocalPathNoCase() {
    QFETCH(QString, windows);
    QFETCH(QString, local);
    windows.replace("$T", m_dir->path());
    local.replace("$P", Prefix::Path()).replace("$T", m_dir->path());
    QCOMPARE(Prefix::ToLocalPathNoCase(windows), local);
}

// Folder listings are remembered; a file added or removed afterwards must still count.
void tst_Prefix::noCaseSeesChangesToAFolder() {
    const QString folder = m_dir->path() + "/prefix/drives/c/Program Files/KestrixStudio/HelpFiles/";
    const QString asked = "C:\\program files\\kestrixstudio\\helpfiles\\NEW.KXS";
    QCOMPARE(Prefix::ToLocalPathNoCase(asked), folder + "NEW.KXS");
    QFile file(folder + "New.kxs");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(Prefix::ToLocalPathNoCase(asked), folder + "New.kxs");
    QVERIFY(QFile::remove(folder + "New.kxs"));
    QCOMPARE(Prefix::ToLocalPathNoCase(asked), folder + "NEW.KXS");
}

QTEST_GUILESS_MAIN(tst_Prefix)
#include "tst_Prefix.moc"
