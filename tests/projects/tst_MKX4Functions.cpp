#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"
#include "projects/MKX4Functions.h"
#include "studio/IStudioUtilities.h"
#include "texts/MResources.h"

#include "common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const QString Absent; // a null QString: the value is not written

void Write(HKEY root, const QString& key, const QString& name, const QString& text) {
    if (!text.isNull())
        QCOMPARE(RegistryStore::SetValue(root, key, RegValue::String(name, text)), long(ERROR_SUCCESS));
}

} // namespace

class tst_MKX4Functions : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
    QStringList m_boxes; // "icon|title|text"

    QString Local(const QString& relative) const { return m_prefix->Path() + "/drives/c/" + relative; }

private Q_SLOTS:
    void init() {
        m_prefix.reset(); // first: its end unsets the prefix
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
        QVERIFY(QDir().mkpath(Local(QString())));
        m_boxes.clear();
        MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon icon) {
            m_boxes << QString::number(int(icon)) + '|' + title + '|' + text;
        });
        MKX4Functions::InstallSettings() = {};
    }
    void cleanup() { MessageBox::SetHook({}); }

    // The studio's folder must exist (else a message names it); a projects folder is created
    // when missing, and stored only when it was built from the documents folder.
    void readInstallSettings_data() {
        QTest::addColumn<int>("lcid");         // -1: absent
        QTest::addColumn<QString>("path");     // registry "Path"
        QTest::addColumn<QString>("projects"); // "DefaultProjectsPath"
        QTest::addColumn<QString>("premade");  // a folder made before, with "file:" a file in its way
        QTest::addColumn<QString>("templates");
        QTest::addColumn<int>("message"); // 0: none, the settings are read and the studio's folder exists
        QTest::addColumn<InstallSettingsRecord>("record");
        QTest::addColumn<QString>("projectsAfter"); // HKCU value afterwards
        QTest::addColumn<QString>("folderMade");    // a folder that must exist afterwards
        const QString studio = QStringLiteral("C:\\Studio");
        const QString built = QStringLiteral("C:\\Users\\u\\Documents\\KestrixStudio\\Projects");
        const QString builtTemplates = QStringLiteral("C:\\Users\\u\\Documents\\KestrixStudio\\Templates");
        const auto record = [](qint32 lcid, const QString& path, const QString& projects,
                               const QString& templates) {
            const bool read = !path.isEmpty();
            return InstallSettingsRecord{lcid,
                                         path,
                                         read ? "C:\\Maker" : "",
                                         read ? "C:\\Maker\\Common\\" : "",
                                         read ? "4.0" : "",
                                         projects,
                                         templates};
        };
        // clang-format off
        QTest::newRow("no Path value") << 1033 << Absent << Absent << Absent << Absent << 91 << record(1033, "", "", "") << Absent << Absent;
        QTest::newRow("Path names a missing folder") << -1 << studio << Absent << Absent << Absent << 92 << record(1031, "", "", "") << Absent << Absent;
        QTest::newRow("projects folder built, created and stored") << 1031 << studio << Absent << Absent << Absent << 0
            << record(1031, studio, built, builtTemplates) << built << "Users/u/Documents/KestrixStudio/Projects";
        QTest::newRow("projects path set and present: taken as it stands") << 1031 << studio << "C:\\Mine\\" << "Mine" << "C:\\T" << 0
            << record(1031, studio, "C:\\Mine\\", "C:\\T") << "C:\\Mine\\" << "Mine";
        QTest::newRow("projects path set but missing: created, not written") << 1031 << studio << "C:\\New\\Projects" << Absent << Absent << 0
            << record(1031, studio, "C:\\New\\Projects", builtTemplates) << "C:\\New\\Projects" << "New/Projects";
        QTest::newRow("projects path set, creation fails: empty, registry kept") << 1031 << studio << "C:\\Blocked\\Projects" << "file:Blocked" << Absent << 0
            << record(1031, studio, "", builtTemplates) << "C:\\Blocked\\Projects" << Absent;
        QTest::newRow("projects not set, creation fails: empty, nothing written") << 1031 << studio << Absent << "file:Users" << Absent << 0
            << record(1031, studio, "", builtTemplates) << Absent << Absent;
        // clang-format on
    }
    void readInstallSettings() {
        QFETCH(int, lcid);
        QFETCH(QString, path);
        QFETCH(QString, projects);
        QFETCH(QString, premade);
        QFETCH(QString, templates);
        QFETCH(int, message);
        QFETCH(QString, folderMade);
        if (lcid >= 0)
            QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio,
                                             RegValue::Dword("LCID", quint32(lcid))),
                     long(ERROR_SUCCESS));
        Write(HKEY_LOCAL_MACHINE, StudioKeys::Studio, "Path", path);
        QVERIFY(message != 0 || QDir().mkpath(Local("Studio")));
        Write(HKEY_LOCAL_MACHINE, StudioKeys::Maker, "MainDir", "C:\\Maker");
        Write(HKEY_LOCAL_MACHINE, StudioKeys::Maker, "Common", "C:\\Maker\\Common\\");
        Write(HKEY_LOCAL_MACHINE, StudioKeys::Studio, "Version", "4.0");
        Write(HKEY_CURRENT_USER, StudioKeys::Studio, "DefaultProjectsPath", projects);
        Write(HKEY_CURRENT_USER, StudioKeys::ShellFolders, "Personal", "C:\\Users\\u\\Documents");
        Write(HKEY_CURRENT_USER, StudioKeys::Studio, "TemplatesPath", templates);
        QFile blocker(Local(premade.mid(5)));
        QVERIFY(premade.isNull() || (premade.startsWith("file:") ? blocker.open(QIODevice::WriteOnly)
                                                                 : QDir().mkpath(Local(premade))));

        MResources::ResetForTesting();
        MResources::InitLanguage();
        QCOMPARE(MKX4Functions::ReadInstallSettings(), message == 0);
        QTEST(MKX4Functions::InstallSettings(), "record");
        // The message in the chosen language, naming the folder that is missing.
        const QString text =
            MResources::GetResMessage(message, message == 92 ? QVariantList{path} : QVariantList{});
        QCOMPARE(m_boxes, message == 0 ? QStringList()
                                       : QStringList{QString::number(int(MessageBox::Icon::Critical)) + '|' +
                                                     MResources::GetResMessage(90, {message}) + '|' + text});
        QVERIFY(message == 0 || (!text.contains("not found") && (message != 92 || text.contains(path))));
        RegValue stored;
        RegistryStore::QueryValue(HKEY_CURRENT_USER, StudioKeys::Studio, "DefaultProjectsPath", &stored);
        QTEST(stored.Text(), "projectsAfter");
        QVERIFY2(folderMade.isNull() || QFileInfo(Local(folderMade)).isDir(), qPrintable(folderMade));
    }
};

QTEST_GUILESS_MAIN(tst_MKX4Functions)
#include "tst_MKX4Functions.moc"
