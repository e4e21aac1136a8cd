#include "SeededPrefix.h"

#include "projects/MKX4FunctionsSpecial.h"
#include "studio/Failure.h"
#include "studio/Variant.h"

#include <QHeaderView>
#include <QTreeWidget>

using namespace MKX4FunctionsSpecial;

class tst_MKX4FunctionsSpecial : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void convertProjectType_data();
    void convertProjectType();
    void projectTypeCode_data();
    void projectTypeCode();
    void readRegisteredProject_data();
    void readRegisteredProject();
    void fill_data();
    void fill();
    void fillWithoutRegistrations_data();
    void fillWithoutRegistrations();
    void fillAppendsAndClearsSelection();
    void columnSizes();
    void readOnlyHiveStopsAtStaleRegistration();

private:
    static void SeedEveryKind(SeededPrefix& prefix);
};

// A name gives an integer code, a number (or numeric text) gives a name.
void tst_MKX4FunctionsSpecial::convertProjectType_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("Single gives 1") << QVariant("Single") << QVariant(1);
    QTest::newRow("Server gives 2") << QVariant("Server") << QVariant(2);
    QTest::newRow("Client gives 4") << QVariant("Client") << QVariant(4);
    QTest::newRow("Terminal Server gives 8") << QVariant("Terminal Server") << QVariant(8);
    QTest::newRow("Terminal Client gives 16") << QVariant("Terminal Client") << QVariant(16);
    QTest::newRow("Group gives 32") << QVariant("Group") << QVariant(32);
    QTest::newRow("KestrixX gives 64") << QVariant("KestrixX") << QVariant(64);
    QTest::newRow("lower case name gives 0") << QVariant("single") << QVariant(0);
    QTest::newRow("upper case name gives 0") << QVariant("GROUP") << QVariant(0);
    QTest::newRow("trailing blank gives 0") << QVariant("Server ") << QVariant(0);
    QTest::newRow("empty text gives 0") << QVariant("") << QVariant(0);
    QTest::newRow("empty value gives 0") << QVariant() << QVariant(0);

    QTest::newRow("1 gives Single") << QVariant(1) << QVariant("Single");
    QTest::newRow("16-bit 4 gives Client") << Variant::Int16(4) << QVariant("Client");
    QTest::newRow("8 gives Terminal Server") << QVariant(8) << QVariant("Terminal Server");
    QTest::newRow("16 gives Terminal Client") << QVariant(16) << QVariant("Terminal Client");
    QTest::newRow("64 gives KestrixX") << QVariant(64) << QVariant("KestrixX");
    QTest::newRow("mask of two bits gives empty") << QVariant(3) << QVariant("");
    QTest::newRow("0 gives empty") << QVariant(0) << QVariant("");
    QTest::newRow("128 gives empty") << QVariant(128) << QVariant("");
    QTest::newRow("negative gives empty") << QVariant(-4) << QVariant("");
    QTest::newRow("text 32 is numeric and gives Group") << QVariant("32") << QVariant("Group");
    QTest::newRow("2.0 gives Server") << QVariant(2.0) << QVariant("Server");
    QTest::newRow("text 4.0 with blanks gives Client") << QVariant(" 4.0 ") << QVariant("Client");
    QTest::newRow("4.5 gives empty") << QVariant(4.5) << QVariant("");
    QTest::newRow("hex text gives Terminal Client") << QVariant("&H10") << QVariant("Terminal Client");
}

void tst_MKX4FunctionsSpecial::convertProjectType() {
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    const QVariant result = ConvertProjectType(value);
    QCOMPARE(result.metaType(), expected.metaType());
    QCOMPARE(result, expected);
}

void tst_MKX4FunctionsSpecial::projectTypeCode_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<qint32>("code");
    QTest::newRow("name") << "Terminal Server" << 8;
    QTest::newRow("numeric text of a code") << "4" << 4;
    QTest::newRow("numeric text of the group code") << "32" << 32;
    QTest::newRow("numeric text of a mask") << "3" << 0;
    QTest::newRow("numeric fraction") << "7.5" << 0;
    QTest::newRow("unknown name") << "Foo" << 0;
    QTest::newRow("empty") << "" << 0;
}

void tst_MKX4FunctionsSpecial::projectTypeCode() {
    QFETCH(QString, stored);
    QFETCH(qint32, code);
    QCOMPARE(ProjectTypeCodeOf(stored), code);
}

void tst_MKX4FunctionsSpecial::readRegisteredProject_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("path");
    QTest::addColumn<RegisteredProject>("expected");

    QTest::newRow("group file is vbg")
        << "Group"
        << "C:\\P" << RegisteredProject{"Demo", "Group", 32, "C:\\P", "C:\\P\\Demo.vbg"};
    QTest::newRow("path ending in backslash doubles it")
        << "Single"
        << "C:\\P\\" << RegisteredProject{"Demo", "Single", 1, "C:\\P\\", "C:\\P\\\\Demo.kxs"};
    QTest::newRow("no path starts with backslash")
        << "Client" << QString() << RegisteredProject{"Demo", "Client", 4, "", "\\Demo.kxs"};
    QTest::newRow("no type is code 0 with kxs")
        << QString() << "C:\\P" << RegisteredProject{"Demo", "", 0, "C:\\P", "C:\\P\\Demo.kxs"};
    QTest::newRow("numeric group type is vbg")
        << "32"
        << "C:\\P" << RegisteredProject{"Demo", "32", 32, "C:\\P", "C:\\P\\Demo.vbg"};
}

void tst_MKX4FunctionsSpecial::readRegisteredProject() {
    QFETCH(QString, type);
    QFETCH(QString, path);
    QFETCH(RegisteredProject, expected);
    SeededPrefix prefix;
    QVERIFY(prefix.IsValid());
    prefix.Register("Demo", type, path, "");
    QCOMPARE(ReadRegisteredProject("Demo"), expected);
}

// Every kind of registration; see fill_data for what becomes of each.
void tst_MKX4FunctionsSpecial::SeedEveryKind(SeededPrefix& prefix) {
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
    prefix.Register("SingleGone", "Single", folder, "");
    prefix.Register("Trailing", "Single", folder + "\\", "kxs");
    prefix.RegisterPresent("Unknown", "Foo");
    prefix.Register("UnknownVbg", "Foo", folder, "vbg");
}

void tst_MKX4FunctionsSpecial::fill_data() {
    QTest::addColumn<qint32>("mask");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("mask 31 lists the five openable types")
        << 31 << QStringList{"Alpha", "beta", "Client One", "Demo", "Epsilon", "Numeric", "Trailing"};
    QTest::newRow("mask 32 lists groups") << 32 << QStringList{"Grp", "NumericGroup"};
    QTest::newRow("mask 64 lists KestrixX") << 64 << QStringList{"KX"};
    QTest::newRow("mask 5 lists Single and Client")
        << 5 << QStringList{"Alpha", "Client One", "Numeric", "Trailing"};
    QTest::newRow("mask 0 lists nothing") << 0 << QStringList{};
    QTest::newRow("mask -1 lists every known type")
        << -1 << QStringList{"Alpha", "beta", "Client One", "Demo",         "Epsilon",
                             "Grp",   "KX",   "Numeric",    "NumericGroup", "Trailing"};
}

void tst_MKX4FunctionsSpecial::fill() {
    QFETCH(qint32, mask);
    QFETCH(QStringList, rows);
    SeededPrefix prefix;
    QVERIFY(prefix.IsValid());
    SeedEveryKind(prefix);

    QTreeWidget list;
    list.setColumnCount(3);
    const QList<UnreadableRegistration> unreadable = FillRegisteredProjects(&list, mask);
    QCOMPARE(unreadable.size(), 2);
    QCOMPARE(unreadable[0].Name, "BinaryPath");
    QCOMPARE(unreadable[0].Why, "value \"Path\" holds binary data, not text");
    QCOMPARE(unreadable[1].Name, "BinaryType");
    QCOMPARE(unreadable[1].Why, "value \"ProjectType\" holds binary data, not text");

    QStringList texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list.topLevelItem(i);
        texts << row->text(0);
        QCOMPARE(row->data(0, Qt::UserRole).toString(), "S:" + row->text(0).toLower());
        QCOMPARE(FindRowByKey(&list, "S:" + row->text(0).toLower()), row);
        const RegisteredProject stored = ReadRegisteredProject(row->text(0));
        QCOMPARE(row->text(1), stored.Path);
        QCOMPARE(row->text(2), stored.ProjectType);
    }
    QCOMPARE(texts, rows);
    QVERIFY(list.selectedItems().isEmpty());
    QVERIFY(!list.currentItem());

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

void tst_MKX4FunctionsSpecial::fillWithoutRegistrations_data() {
    QTest::addColumn<bool>("projectsKey");
    QTest::newRow("projects key without subkeys") << true;
    QTest::newRow("no projects key") << false;
}

void tst_MKX4FunctionsSpecial::fillWithoutRegistrations() {
    QFETCH(bool, projectsKey);
    SeededPrefix prefix;
    QVERIFY(prefix.IsValid());
    if (projectsKey)
        QCOMPARE(RegistryStore::CreateKey(HKEY_LOCAL_MACHINE, StudioKeys::Projects), long(ERROR_SUCCESS));

    QTreeWidget list;
    list.setColumnCount(3);
    list.setHeaderLabels({"Name", "Verzeichnis", "Typ"});
    list.resize(400, 200);
    FillRegisteredProjects(&list, 31);
    QCOMPARE(list.topLevelItemCount(), 0);
    // The columns are sized all the same: the last one over the whole width.
    QVERIFY(list.header()->sectionSize(2) >=
            list.contentsRect().width() - list.header()->sectionSize(0) - list.header()->sectionSize(1));
}

void tst_MKX4FunctionsSpecial::fillAppendsAndClearsSelection() {
    SeededPrefix prefix;
    QVERIFY(prefix.IsValid());
    prefix.RegisterPresent("Alpha", "Single");

    QTreeWidget list;
    list.setColumnCount(3);
    auto* earlier = new QTreeWidgetItem(QStringList{"Earlier", "x", "y"});
    list.addTopLevelItem(earlier);
    list.setCurrentItem(earlier);
    QVERIFY(earlier->isSelected());

    FillRegisteredProjects(&list, 31);
    QCOMPARE(list.topLevelItemCount(), 2);
    QCOMPARE(list.topLevelItem(0), earlier);
    QCOMPARE(list.topLevelItem(1)->text(0), "Alpha");
    QVERIFY(list.selectedItems().isEmpty());
    QCOMPARE(FindRowByKey(&list, "S:alpha"), list.topLevelItem(1));
    QVERIFY(!FindRowByKey(&list, "S:Alpha"));
}

void tst_MKX4FunctionsSpecial::columnSizes() {
    SeededPrefix prefix;
    QVERIFY(prefix.IsValid());
    prefix.RegisterPresent("A", "Single");
    prefix.RegisterPresent("A project with a rather long name", "Client");

    QTreeWidget list;
    list.setColumnCount(3);
    list.setHeaderLabels({"Name", "Verzeichnis", "A type header wider than its entries"});
    list.resize(500, 200);
    FillRegisteredProjects(&list, 31);

    const QAbstractItemView& view = list;
    const QHeaderView* header = list.header();
    QCOMPARE(header->sectionSize(0), view.sizeHintForColumn(0));
    QCOMPARE(header->sectionSize(1), view.sizeHintForColumn(1));
    QVERIFY(header->sectionSize(0) > header->sectionSizeHint(0)); // the long name, not the header
    QVERIFY(header->sectionSize(2) >= header->sectionSizeHint(2));
    const int total = header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2);
    QVERIFY2(total >= list.contentsRect().width() || header->sectionSize(2) == header->sectionSizeHint(2),
             qPrintable(QString("total %1, width %2").arg(total).arg(list.contentsRect().width())));
}

void tst_MKX4FunctionsSpecial::readOnlyHiveStopsAtStaleRegistration() {
    SeededPrefix prefix;
    QVERIFY(prefix.IsValid());
    prefix.RegisterPresent("Alpha", "Single");
    prefix.Register("Beta", "Single", prefix.ProjectsFolder(), "");
    prefix.RegisterPresent("Gamma", "Single");
    QVERIFY(SeededPrefix::SetMachineHiveWritable(false));

    QTreeWidget list;
    list.setColumnCount(3);
    try {
        FillRegisteredProjects(&list, 31);
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QCOMPARE(failure.Number(), int(Failure::InvalidCall));
        QVERIFY2(failure.Description().contains(StudioKeys::Projects + "\\Beta", Qt::CaseInsensitive),
                 qPrintable(failure.Description()));
    }
    // The stale registrations go in one change at the end: the rows stay, the registry is as it was.
    QCOMPARE(list.topLevelItemCount(), 2);
    QCOMPARE(list.topLevelItem(0)->text(0), "Alpha");
    QCOMPARE(list.topLevelItem(1)->text(0), "Gamma");
    QVERIFY(SeededPrefix::SetMachineHiveWritable(true));
    QCOMPARE(SeededPrefix::Registrations(), (QStringList{"Alpha", "Beta", "Gamma"}));
}

QTEST_MAIN(tst_MKX4FunctionsSpecial)
#include "tst_MKX4FunctionsSpecial.moc"
