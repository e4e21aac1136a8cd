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

    QString Local(const QString& relative) const {
        return m_prefix->Path() + QStringLiteral("/drives/c/") + relative;
    }

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

    void readInstallSettings_data() {
        QTest::addColumn<int>("lcid");         // -1: absent
        QTest::addColumn<QString>("path");     // registry "Path"
        QTest::addColumn<QString>("projects"); // "DefaultProjectsPath"
        QTest::addColumn<QString>(
            "premade"); // a folder made before, or with "file:" a file where a folder must go
        QTest::addColumn<QString>("personal");
        QTest::addColumn<QString>("templates");
        QTest::addColumn<int>("message"); // 0: none, the settings are read and the studio's folder exists
        QTest::addColumn<InstallSettingsRecord>("record");
        QTest::addColumn<QString>("projectsAfter"); // HKCU value afterwards
        QTest::addColumn<QString>("folderMade");    // a folder that must exist afterwards

        const QString studio = QStringLiteral("C:\\Studio");
        const QString docs = QStringLiteral("C:\\Users\\u\\Documents");
        const QString builtProjects = docs + QStringLiteral("\\KestrixStudio\\Projects");
        const QString builtTemplates = docs + QStringLiteral("\\KestrixStudio\\Templates");
        auto record = [&](qint32 lcid, QString path, QString projects, QString templates) {
            InstallSettingsRecord r;
            r.LCID = lcid;
            r.Path = path;
            if (!path.isEmpty()) {
                r.MainDir = QStringLiteral("C:\\Maker");
                r.Common = QStringLiteral("C:\\Maker\\Common\\");
                r.Version = QStringLiteral("4.0");
            }
            r.DefaultProjectsPath = projects;
            r.TemplatesPath = templates;
            return r;
        };

        // clang-format off
        QTest::newRow("no Path value")
            << 1033 << Absent << Absent << Absent << docs << Absent << 91 << record(1033, "", "", "") << Absent << Absent;
        QTest::newRow("Path names a missing folder")
            << -1 << studio << Absent << Absent << docs << Absent << 92 << record(1031, "", "", "") << Absent << Absent;
        QTest::newRow("projects folder built, created and stored")
            << 1031 << studio << Absent << Absent << docs << Absent << 0
            << record(1031, studio, builtProjects, builtTemplates) << builtProjects << "Users/u/Documents/KestrixStudio/Projects";
        QTest::newRow("projects path set and present: taken as it stands")
            << 1031 << studio << "C:\\Mine\\" << "Mine" << docs << "C:\\T" << 0
            << record(1031, studio, "C:\\Mine\\", "C:\\T") << "C:\\Mine\\" << "Mine";
        QTest::newRow("projects path set but missing: created, not written")
            << 1031 << studio << "C:\\New\\Projects" << Absent << docs << Absent << 0
            << record(1031, studio, "C:\\New\\Projects", builtTemplates) << "C:\\New\\Projects" << "New/Projects";
        QTest::newRow("projects path set, creation fails: empty, registry kept")
            << 1031 << studio << "C:\\Blocked\\Projects" << "file:Blocked" << docs << Absent << 0
            << record(1031, studio, "", builtTemplates) << "C:\\Blocked\\Projects" << Absent;
        QTest::newRow("projects not set, creation fails: empty, nothing written")
            << 1031 << studio << Absent << "file:Users" << docs << Absent << 0
            << record(1031, studio, "", builtTemplates) << Absent << Absent;
        QTest::newRow("built projects folder already there counts as created")
            << 1031 << studio << Absent << "Users/u/Documents/KestrixStudio/Projects" << docs << Absent << 0
            << record(1031, studio, builtProjects, builtTemplates) << builtProjects << Absent;
        QTest::newRow("no Personal either: rooted paths on the current drive")
            << 1031 << studio << Absent << Absent << Absent << Absent << 0
            << record(1031, studio, "\\KestrixStudio\\Projects", "\\KestrixStudio\\Templates")
            << "\\KestrixStudio\\Projects" << "KestrixStudio/Projects";
        // clang-format on
    }

    void readInstallSettings() {
        QFETCH(int, lcid);
        QFETCH(QString, path);
        QFETCH(QString, projects);
        QFETCH(QString, premade);
        QFETCH(QString, personal);
        QFETCH(QString, templates);

        if (lcid >= 0)
            QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio,
                                             RegValue::Dword(QStringLiteral("LCID"), quint32(lcid))),
                     long(ERROR_SUCCESS));
        Write(HKEY_LOCAL_MACHINE, StudioKeys::Studio, QStringLiteral("Path"), path);
        QFETCH(int, message);
        if (message == 0)
            QVERIFY(QDir().mkpath(Local(QStringLiteral("Studio"))));
        Write(HKEY_LOCAL_MACHINE, StudioKeys::Maker, QStringLiteral("MainDir"), QStringLiteral("C:\\Maker"));
        Write(HKEY_LOCAL_MACHINE, StudioKeys::Maker, QStringLiteral("Common"),
              QStringLiteral("C:\\Maker\\Common\\"));
        Write(HKEY_LOCAL_MACHINE, StudioKeys::Studio, QStringLiteral("Version"), QStringLiteral("4.0"));
        Write(HKEY_CURRENT_USER, StudioKeys::Studio, QStringLiteral("DefaultProjectsPath"), projects);
        Write(HKEY_CURRENT_USER, StudioKeys::ShellFolders, QStringLiteral("Personal"), personal);
        Write(HKEY_CURRENT_USER, StudioKeys::Studio, QStringLiteral("TemplatesPath"), templates);
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
        QVERIFY(message == 0 ||
                (!text.contains(QStringLiteral("not found")) && (message != 92 || text.contains(path))));
        RegValue stored;
        RegistryStore::QueryValue(HKEY_CURRENT_USER, StudioKeys::Studio,
                                  QStringLiteral("DefaultProjectsPath"), &stored);
        QTEST(stored.Text(), "projectsAfter");
        QFETCH(QString, folderMade);
        if (!folderMade.isNull())
            QVERIFY2(QFileInfo(Local(folderMade)).isDir(), qPrintable(folderMade));
    }
};

QTEST_GUILESS_MAIN(tst_MKX4Functions)
#include "tst_MKX4Functions.moc"
