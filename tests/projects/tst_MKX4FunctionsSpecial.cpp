#include "SeededPrefix.h"

#include "projects/MKX4FunctionsSpecial.h"
#include "studio/Variant.h"

#include "common/TestSupport.h"

#include <QTreeWidget>

using namespace MKX4FunctionsSpecial;

class tst_MKX4FunctionsSpecial : public QObject {
    Q_OBJECT

    // Every kind of registration; see fill_data for what becomes of each.
    static void SeedEveryKind(SeededPrefix& prefix) {
        const QString folder = prefix.ProjectsFolder();
        prefix.RegisterPresent("Alpha", "Single");
        prefix.Register("Ancient", "Single", folder, "");
        prefix.RegisterPresent("beta", "Server");
        prefix.Register("BinaryPath", "Single", QString(), "kxs");
        prefix.SetBinary("BinaryPath", "Path");
        prefix.RegisterPresent("BinaryType", QString());
        prefix.SetBinary("BinaryType", "ProjectType");
        prefix.RegisterPresent("Client One", "Client");
        prefix.RegisterPresent("Demo", "Terminal Server");
        prefix.RegisterPresent("Epsilon", "Terminal Client");
        prefix.Register("Grp", "Group", folder, "vbg");
        prefix.Register("GrpKxsOnly", "Group", folder, "kxs");
        prefix.RegisterPresent("KX", "KestrixX");
        prefix.Register("KXGone", "KestrixX", folder, "");
        prefix.Register("NoPath", "Single", QString(), "kxs");
        prefix.RegisterPresent("NoType", QString());
        prefix.RegisterPresent("EmptyType", "");
        prefix.RegisterPresent("Numeric", "4");
        prefix.RegisterPresent("NumericMask", "3");
        prefix.Register("NumericGroup", "32", folder, "vbg");
        prefix.Register("Trailing", "Single", folder + "\\", "kxs");
        prefix.RegisterPresent("Unknown", "Foo");
        prefix.Register("UnknownVbg", "Foo", folder, "vbg");
    }

private Q_SLOTS:
    // A name gives an integer code, a number (or numeric text) gives a name.
    void convertProjectType_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");
        // clang-format off
        QTest::newRow("name gives its code")             << QVariant("Terminal Server") << QVariant(8);
        QTest::newRow("name in other case gives 0")      << QVariant("single")          << QVariant(0);
        QTest::newRow("empty value gives 0")             << QVariant()                  << QVariant(0);
        QTest::newRow("16-bit code gives its name")      << Variant::Int16(4)           << QVariant("Client");
        QTest::newRow("largest code gives KestrixX")     << QVariant(64)                << QVariant("KestrixX");
        QTest::newRow("mask of two bits gives empty")    << QVariant(3)                 << QVariant("");
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
    }

    void fill_data() {
        QTest::addColumn<qint32>("mask");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("mask 31 lists the five openable types")
            << 31 << QStringList{"Alpha", "beta", "Client One", "Demo", "Epsilon", "Numeric", "Trailing"};
        QTest::newRow("mask 32 lists groups") << 32 << QStringList{"Grp", "NumericGroup"};
        QTest::newRow("mask 5 lists Single and Client")
            << 5 << QStringList{"Alpha", "Client One", "Numeric", "Trailing"};
    }

    void fill() {
        QFETCH(qint32, mask);
        SeededPrefix prefix;
        SeedEveryKind(prefix);

        // Rows are appended after what the list held; the selection is cleared.
        QTreeWidget list;
        list.setColumnCount(3);
        auto* earlier = new QTreeWidgetItem(QStringList{"Earlier", "x", "y"});
        list.addTopLevelItem(earlier);
        list.setCurrentItem(earlier);
        const QList<UnreadableRegistration> unreadable = FillRegisteredProjects(&list, mask);
        QCOMPARE(unreadable.size(), 2);
        QCOMPARE(unreadable[0].Name + ": " + unreadable[0].Why,
                 "BinaryPath: value \"Path\" holds binary data, not text");
        QCOMPARE(unreadable[1].Name + ": " + unreadable[1].Why,
                 "BinaryType: value \"ProjectType\" holds binary data, not text");

        QCOMPARE(list.takeTopLevelItem(0), earlier);
        delete earlier;
        QStringList texts;
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = list.topLevelItem(i);
            texts << row->text(0);
            QCOMPARE(FindRowByKey(&list, "S:" + row->text(0).toLower()), row);
            const RegisteredProject stored = ReadRegisteredProject(row->text(0));
            QCOMPARE(row->text(1), stored.Path);
            QCOMPARE(row->text(2), stored.ProjectType);
        }
        QTEST(texts, "rows");
        QVERIFY(list.selectedItems().isEmpty());
        QVERIFY(!FindRowByKey(&list, "S:Alpha"));

        // Stale registrations are gone whatever the mask, those before and after an unreadable one;
        // the rest stay with their values, the unreadable ones too (they may not be stale).
        QCOMPARE(SeededPrefix::Registrations(),
                 (QStringList{"Alpha", "beta", "BinaryPath", "BinaryType", "Client One", "Demo", "EmptyType",
                              "Epsilon", "Grp", "KX", "NoType", "Numeric", "NumericGroup", "NumericMask",
                              "Trailing", "Unknown"}));
        RegValue path;
        QCOMPARE(
            RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, StudioKeys::Projects + "\\Trailing", "Path", &path),
            long(ERROR_SUCCESS));
        QCOMPARE(path.Text(), prefix.ProjectsFolder() + "\\");
    }

    void fillWithoutProjectsKey() {
        SeededPrefix prefix;
        QTreeWidget list;
        QVERIFY(FillRegisteredProjects(&list, 31).isEmpty());
        QCOMPARE(list.topLevelItemCount(), 0);
    }
};

QTEST_MAIN(tst_MKX4FunctionsSpecial)
#include "tst_MKX4FunctionsSpecial.moc"
