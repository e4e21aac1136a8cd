#include "SeededPrefix.h"

#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"
#include "projects/MKX4Functions.h"
#include "projects/MKX4FunctionsSpecial.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"
#include "texts/MResources.h"

#include "common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTreeWidget>

using namespace MKX4FunctionsSpecial;

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
        const QString maker = QStringLiteral("C:\\Maker");
        const auto record = [&](const QString& projects, const QString& templates) {
            return InstallSettingsRecord{1031,  studio,   maker,    maker + "\\Common\\",
                                         "4.0", projects, templates};
        };
        // clang-format off
        QTest::newRow("no Path value") << Absent << Absent << Absent << Absent << 91 << InstallSettingsRecord{1031, {}, {}, {}, {}, {}, {}} << Absent << Absent;
        QTest::newRow("Path names a missing folder") << studio << Absent << Absent << Absent << 92 << InstallSettingsRecord{1031, {}, {}, {}, {}, {}, {}} << Absent << Absent;
        QTest::newRow("projects folder built, created and stored") << studio << Absent << Absent << Absent << 0
            << record(built, builtTemplates) << built << "Users/u/Documents/KestrixStudio/Projects";
        QTest::newRow("projects path set and present: taken as it stands") << studio << "C:\\Mine\\" << "Mine" << "C:\\T" << 0
            << record("C:\\Mine\\", "C:\\T") << "C:\\Mine\\" << "Mine";
        QTest::newRow("projects path set but missing: created, not written") << studio << "C:\\New\\Projects" << Absent << Absent << 0
            << record("C:\\New\\Projects", builtTemplates) << "C:\\New\\Projects" << "New/Projects";
        QTest::newRow("projects path set, creation fails: empty, registry kept") << studio << "C:\\Blocked\\Projects" << "file:Blocked" << Absent << 0
            << record("", builtTemplates) << "C:\\Blocked\\Projects" << Absent;
        QTest::newRow("projects not set, creation fails: empty, nothing written") << studio << Absent << "file:Users" << Absent << 0
            << record("", builtTemplates) << Absent << Absent;
        // clang-format on
    }
    void readInstallSettings() {
        QFETCH(QString, path);
        QFETCH(QString, projects);
        QFETCH(QString, premade);
        QFETCH(QString, templates);
        QFETCH(int, message);
        QFETCH(QString, folderMade);
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
        const QString text =
            MResources::GetResMessage(message, message == 92 ? QVariantList{path} : QVariantList{});
        QCOMPARE(m_boxes, message == 0 ? QStringList()
                                       : QStringList{QString::number(int(MessageBox::Icon::Critical)) + '|' +
                                                     MResources::GetResMessage(90, {message}) + '|' + text});
        RegValue stored;
        RegistryStore::QueryValue(HKEY_CURRENT_USER, StudioKeys::Studio, "DefaultProjectsPath", &stored);
        QTEST(stored.Text(), "projectsAfter");
        QVERIFY2(folderMade.isNull() || QFileInfo(Local(folderMade)).isDir(), qPrintable(folderMade));
    }

    void convertProjectType_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");
        // clang-format off
        QTest::newRow("name in other case gives 0")      << QVariant("single")          << QVariant(0);
        QTest::newRow("16-bit code gives its name")      << Variant::Int16(4)           << QVariant("Client");
        QTest::newRow("numeric text with blanks")        << QVariant(" 4.0 ")           << QVariant("Client");
        QTest::newRow("hex text gives Terminal Client")  << QVariant("&H10")            << QVariant("Terminal Client");
        // clang-format on
    }

    void convertProjectType() {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        const QVariant result = ConvertProjectType(value);
        QCOMPARE(result.metaType(), expected.metaType());
        QCOMPARE(result, expected);
        if (expected.typeId() == QMetaType::Int) // a name's code comes the same way by itself
            QCOMPARE(ProjectTypeCodeOf(value.toString()), expected.toInt());
    }

    // Every kind of registration, listed by mask 31 (the five openable types) and 32 (groups).
    void fill() {
        for (const auto& [mask, rows] : {std::pair{31, QStringList{"Alpha", "beta", "Client One", "Demo",
                                                                   "Epsilon", "Numeric", "Trailing"}},
                                         std::pair{32, QStringList{"Grp", "NumericGroup"}}}) {
            SeededPrefix prefix;
            QTreeWidget list;
            list.setColumnCount(3);
            QVERIFY(FillRegisteredProjects(&list, mask).isEmpty()); // no projects key yet
            QCOMPARE(list.topLevelItemCount(), 0);
            const QString folder = prefix.ProjectsFolder();
            // clang-format off
            for (const auto& [name, type] : {std::pair<const char*, const char*>{"Alpha", "Single"}, {"beta", "Server"},
                     {"BinaryType", nullptr}, {"Client One", "Client"}, {"Demo", "Terminal Server"}, {"Epsilon", "Terminal Client"},
                     {"KX", "KestrixX"}, {"NoType", nullptr}, {"Numeric", "4"}, {"NumericMask", "3"}, {"Unknown", "Foo"}})
                prefix.RegisterPresent(name, type);
            // clang-format on
            prefix.Register("Ancient", "Single", folder, "");
            prefix.Register("BinaryPath", "Single", QString(), "kxs");
            prefix.SetBinary("BinaryPath", "Path");
            prefix.SetBinary("BinaryType", "ProjectType");
            prefix.Register("Grp", "Group", folder, "vbg");
            prefix.Register("GrpKxsOnly", "Group", folder, "kxs");
            prefix.Register("NoPath", "Single", QString(), "kxs");
            prefix.Register("NumericGroup", "32", folder, "vbg");
            prefix.Register("Trailing", "Single", folder + "\\", "kxs");
            prefix.Register("UnknownVbg", "Foo", folder, "vbg");
            QStringList unreadable;
            for (const UnreadableRegistration& entry : FillRegisteredProjects(&list, mask))
                unreadable << entry.Name + ": " + entry.Why;
            QCOMPARE(unreadable,
                     (QStringList{"BinaryPath: value \"Path\" holds binary data, not text",
                                  "BinaryType: value \"ProjectType\" holds binary data, not text"}));

            QStringList texts;
            for (int i = 0; i < list.topLevelItemCount(); ++i) {
                const QTreeWidgetItem* row = list.topLevelItem(i);
                texts << row->text(0);
                QCOMPARE(FindRowByKey(&list, "S:" + row->text(0).toLower()), row);
                const RegisteredProject stored = ReadRegisteredProject(row->text(0));
                QCOMPARE(row->text(1), stored.Path);
                QCOMPARE(row->text(2), stored.ProjectType);
            }
            QCOMPARE(texts, rows);
            QVERIFY(!FindRowByKey(&list, "S:Alpha"));

            // Stale registrations are gone whatever the mask, those before and after an unreadable one;
            // the rest stay, the unreadable ones too (they may not be stale).
            QCOMPARE(SeededPrefix::Registrations(),
                     (QStringList{"Alpha", "beta", "BinaryPath", "BinaryType", "Client One", "Demo",
                                  "Epsilon", "Grp", "KX", "NoType", "Numeric", "NumericGroup", "NumericMask",
                                  "Trailing", "Unknown"}));
        }
    }
};

QTEST_MAIN(tst_MKX4Functions)
#include "tst_MKX4Functions.moc"
