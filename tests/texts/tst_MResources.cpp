#include "platform/registry/Registry.h"
#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"
#include "texts/MResources.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>

class tst_MResources : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void languageChoice_data();
    void languageChoice();
    void unreadableLcidReachesCaller();
    void notFound_data();
    void notFound();
    void lookupBeforeFilling();
    void addResource_data();
    void addResource();
    void message_data();
    void message();
    void messageOfTableIds_data();
    void messageOfTableIds();

private:
    void SetLcid(const RegValue& value);
    std::unique_ptr<QTemporaryDir> m_prefix;
};

void tst_MResources::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", m_prefix->path().toUtf8());
    MResources::ResetForTesting();
}

void tst_MResources::cleanup() {
    MResources::ResetForTesting();
    m_prefix.reset();
}

void tst_MResources::SetLcid(const RegValue& value) {
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, value), long(ERROR_SUCCESS));
}

void tst_MResources::languageChoice_data() {
    // valueName "" leaves "LCID" out; a text lcid is stored as a string value, a number as a DWORD.
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<QVariant>("lcid");
    QTest::addColumn<qint32>("currentLcid");
    QTest::addColumn<QString>("text111");
    QTest::addColumn<QString>("text80");

    const QString german = QString::fromUtf8("Ö&ffnen");
    const QString noEnglish80 = "Resource 80 not found";
    QTest::newRow("absent gives German 1031") << "" << QVariant() << 1031 << german << "KestrixStudio";
    QTest::newRow("1031 German") << "LCID" << QVariant(1031) << 1031 << german << "KestrixStudio";
    QTest::newRow("1033 English, 80 has no English text")
        << "LCID" << QVariant(1033) << 1033 << "&Open" << noEnglish80;
    QTest::newRow("1033 stored as text") << "LCID" << QVariant("1033") << 1033 << "&Open" << noEnglish80;
    QTest::newRow("1033.4 stored as text") << "LCID" << QVariant("1033.4") << 1033 << "&Open" << noEnglish80;
    QTest::newRow("&H409 stored as text") << "LCID" << QVariant("&H409") << 1033 << "&Open" << noEnglish80;
    QTest::newRow("value name in other case") << "lcid" << QVariant(1033) << 1033 << "&Open" << noEnglish80;
    QTest::newRow("2057 English UK gives German")
        << "LCID" << QVariant(2057) << 2057 << german << "KestrixStudio";
    QTest::newRow("2055 German Swiss gives German")
        << "LCID" << QVariant(2055) << 2055 << german << "KestrixStudio";
    QTest::newRow("0 gives German") << "LCID" << QVariant(0) << 0 << german << "KestrixStudio";
}

void tst_MResources::languageChoice() {
    QFETCH(QString, valueName);
    QFETCH(QVariant, lcid);
    QFETCH(qint32, currentLcid);
    QFETCH(QString, text111);
    QFETCH(QString, text80);
    if (lcid.metaType() == QMetaType::fromType<QString>())
        SetLcid(RegValue::String(valueName, lcid.toString()));
    else if (!valueName.isEmpty())
        SetLcid(RegValue::Dword(valueName, lcid.toUInt()));

    MResources::InitLanguage();

    QCOMPARE(MResources::CurrentLCID(), currentLcid);
    QCOMPARE(MResources::LanguageOffset(), currentLcid == 1033 ? 10000 : 0);
    QCOMPARE(MResources::GetResString(111), text111);
    QCOMPARE(MResources::GetResString(80), text80);
    // Qt's own texts (a standard button's) and the platform's, which follow the default
    // locale, in the same language.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
             currentLcid == 1033 ? QString("Cancel") : QString("Abbrechen"));
    QCOMPARE(QLocale().language(), currentLcid == 1033 ? QLocale::English : QLocale::German);
}

void tst_MResources::unreadableLcidReachesCaller() {
    SetLcid(RegValue::String("LCID", "Deutsch"));
    try {
        MResources::InitLanguage();
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QCOMPARE(failure.Number(), int(Failure::TypeMismatch));
        QVERIFY2(failure.Description().contains("Deutsch"), qPrintable(failure.Description()));
    }
    QCOMPARE(MResources::GetResString(10), QString("Resource 10 not found"));
}

void tst_MResources::notFound_data() {
    QTest::addColumn<int>("lcid");
    QTest::addColumn<qint32>("id");
    QTest::addColumn<QString>("expected");
    for (int lcid : {1031, 1033}) {
        const QByteArray language = lcid == 1031 ? "German" : "English";
        QTest::addRow("%s: id between table rows", language.constData())
            << lcid << 99 << "Resource 99 not found";
        QTest::addRow("%s: negative id", language.constData()) << lcid << -5 << "Resource -5 not found";
        QTest::addRow("%s: zero", language.constData()) << lcid << 0 << "Resource 0 not found";
        QTest::addRow("%s: largest id", language.constData())
            << lcid << std::numeric_limits<qint32>::max() << "Resource 2147483647 not found";
        QTest::addRow("%s: smallest id", language.constData())
            << lcid << std::numeric_limits<qint32>::min() << "Resource -2147483648 not found";
    }
}

void tst_MResources::notFound() {
    QFETCH(int, lcid);
    QFETCH(qint32, id);
    QFETCH(QString, expected);
    SetLcid(RegValue::Dword("LCID", quint32(lcid)));
    MResources::InitLanguage();
    QCOMPARE(MResources::GetResString(id), expected);
    // A text the table lacks passes message formatting unchanged.
    QCOMPARE(MResources::GetResMessage(id, {"x"}), expected);
}

void tst_MResources::lookupBeforeFilling() {
    QCOMPARE(MResources::GetResString(10), QString("Resource 10 not found"));
    QCOMPARE(MResources::GetResString(300), QString("Resource 300 not found"));
    QCOMPARE(MResources::GetResMessage(92, {"C:\\x"}), QString("Resource 92 not found"));
    QCOMPARE(MResources::CurrentLCID(), 0);
}

void tst_MResources::addResource_data() {
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");

    QTest::newRow("second add keeps first texts")
        << QStringList{"eins", "one"} << QStringList{"zwei", "two"} << "eins"
        << "one";
    QTest::newRow("second add fills a missing language")
        << QStringList{"eins"} << QStringList{"zwei", "two"} << "eins"
        << "two";
    QTest::newRow("empty list adds nothing") << QStringList{} << QStringList{} << "Resource 500 not found"
                                             << "Resource 500 not found";
    QTest::newRow("empty text is stored") << QStringList{"", ""} << QStringList{} << ""
                                          << "";
}

void tst_MResources::addResource() {
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QString, german);
    QFETCH(QString, english);

    MResources::AddResource(500, first);
    MResources::AddResource(500, second);
    QCOMPARE(MResources::GetResString(500), german);

    SetLcid(RegValue::Dword("LCID", 1033));
    MResources::InitLanguage();
    QCOMPARE(MResources::GetResString(500), english);
}

void tst_MResources::message_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two placeholders in order")
        << "Project @1@ has @2@ files" << QVariantList{"A", 3} << "Project A has 3 files";
    QTest::newRow("placeholders out of order") << "@2@ before @1@" << QVariantList{"x", "y"} << "y before x";
    QTest::newRow("same placeholder twice") << "@1@@1@" << QVariantList{"x"} << "xx";
    QTest::newRow("text after number in placeholder") << "@1 item@ found" << QVariantList{"x"} << "x found";
    QTest::newRow("line feed escape") << "Line one\\nLine two" << QVariantList{} << "Line one\nLine two";
    QTest::newRow("tab escape") << "Name\\tValue" << QVariantList{} << "Name\tValue";
    QTest::newRow("backslash escape") << "C:\\\\Temp" << QVariantList{} << "C:\\Temp";
    QTest::newRow("escaped backslash starts no escape") << "\\\\n" << QVariantList{} << "\\n";
    QTest::newRow("escaped at sign") << "50\\@ off" << QVariantList{} << "50@ off";
    QTest::newRow("escaped at sign then lone at sign") << "\\@1@" << QVariantList{} << "@1";
    QTest::newRow("lone at sign dropped") << "10@ items" << QVariantList{} << "10 items";
    QTest::newRow("unknown escape drops backslash") << "a\\qb" << QVariantList{} << "aqb";
    QTest::newRow("escape letters are case-sensitive") << "a\\Nb" << QVariantList{} << "aNb";
    QTest::newRow("backslash at the end dropped") << "abc\\" << QVariantList{} << "abc";
    QTest::newRow("argument not scanned again") << "@1@" << QVariantList{"a\\nb"} << "a\\nb";
    QTest::newRow("at sign inside argument stays") << "<@1@>@2@" << QVariantList{"@2@", "z"} << "<@2@>z";
    QTest::newRow("plain text unchanged") << "Nothing to do." << QVariantList{"x"} << "Nothing to do.";
    QTest::newRow("unused arguments ignored") << "@3@" << QVariantList{"a", "b", "c", "d"} << "c";
    QTest::newRow("blanks and signs in number") << "@ + 2 @" << QVariantList{"a", "b"} << "b";
    QTest::newRow("hex placeholder number") << "@&H2@" << QVariantList{"a", "b"} << "b";
    QTest::newRow("half rounds to even") << "@2.5@|@1.5@" << QVariantList{"a", "b"} << "b|b";
    QTest::newRow("placeholder zero gives nothing") << "[@0@]" << QVariantList{"a"} << "[]";
    QTest::newRow("negative placeholder gives nothing") << "[@-1@]" << QVariantList{"a"} << "[]";
    QTest::newRow("placeholder without digits gives nothing") << "[@x@]" << QVariantList{"a"} << "[]";
    QTest::newRow("placeholder beyond arguments gives nothing") << "[@2@]" << QVariantList{"a"} << "[]";
    QTest::newRow("huge placeholder number gives nothing") << "[@1e999@]" << QVariantList{"a"} << "[]";
    QTest::newRow("argument without text form gives nothing")
        << "[@1@]" << QVariantList{QVariant(QVariantList{1})} << "[]";
    QTest::newRow("numbers and Booleans as text")
        << "@1@ @2@ @3@ @4@" << QVariantList{Variant::Int16(91), 2.5, true, QVariant()} << "91 2.5 True ";
    QTest::newRow("empty text gives at sign and id") << "" << QVariantList{} << "@500";
}

void tst_MResources::message() {
    QFETCH(QString, text);
    QFETCH(QVariantList, args);
    QFETCH(QString, expected);
    const QVariantList before = args;
    MResources::AddResource(500, {text, text});
    QCOMPARE(MResources::GetResMessage(500, args), expected);
    QCOMPARE(args, before);
}

void tst_MResources::messageOfTableIds_data() {
    QTest::addColumn<int>("lcid");
    QTest::addColumn<qint32>("id");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("expected");

    QTest::newRow("German title names message 92")
        << 1031 << 90 << QVariantList{Variant::Int16(92)} << "KestrixStudio ToolBox - Meldung 92";
    QTest::newRow("English title names message 91")
        << 1033 << 90 << QVariantList{Variant::Int16(91)} << "KestrixStudio ToolBox - Message 91";
    QTest::newRow("German no installation path")
        << 1031 << 91 << QVariantList{} << "Es ist kein Installationspfad von KestrixStudio registriert.";
    QTest::newRow("English no installation path")
        << 1033 << 91 << QVariantList{} << "No KestrixStudio installation path is registered.";
    QTest::newRow("German missing folder keeps backslashes of the path")
        << 1031 << 92 << QVariantList{"C:\\Programme\\Kestrix"}
        << "Das registrierte Installationsverzeichnis von KestrixStudio existiert "
           "nicht:\nC:\\Programme\\Kestrix";
    QTest::newRow("English missing folder keeps backslashes of the path")
        << 1033 << 92 << QVariantList{"D:\\n\\@1@"}
        << "The registered KestrixStudio installation folder does not exist:\nD:\\n\\@1@";
    QTest::newRow("caption without placeholder unchanged")
        << 1033 << 200 << QVariantList{} << "KestrixStudio ToolBox - Open Project";
}

void tst_MResources::messageOfTableIds() {
    QFETCH(int, lcid);
    QFETCH(qint32, id);
    QFETCH(QVariantList, args);
    QFETCH(QString, expected);
    SetLcid(RegValue::Dword("LCID", quint32(lcid)));
    MResources::InitLanguage();
    QCOMPARE(MResources::GetResMessage(id, args), expected);
}

QTEST_GUILESS_MAIN(tst_MResources)
#include "tst_MResources.moc"
