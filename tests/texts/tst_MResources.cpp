#include "common/TestSupport.h"
#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"
#include "texts/MResources.h"

#include <QLocale>
#include <QTest>

#include <limits>
#include <memory>

class tst_MResources : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
        MResources::ResetForTesting();
    }
    void cleanup() {
        MResources::ResetForTesting();
        m_prefix.reset();
    }

    // The stored LCID decides the table's language, Qt's texts and the default locale alike.
    void languageChoice_data() {
        QTest::addColumn<QVariant>("lcid"); // invalid: not stored; text: stored as REG_SZ
        QTest::addColumn<bool>("english");
        QTest::newRow("absent gives German") << QVariant() << false;
        QTest::newRow("1033 English") << QVariant(1033) << true;
        QTest::newRow("&H409 stored as text") << QVariant("&H409") << true;
        QTest::newRow("2057, another English, keeps German") << QVariant(2057) << false;
    }
    void languageChoice() {
        QFETCH(QVariant, lcid);
        QFETCH(bool, english);
        if (lcid.isValid())
            SetLcid(lcid);
        MResources::InitLanguage();
        QCOMPARE(MResources::CurrentLCID(), lcid.isValid() ? Variant::ToInt32(lcid) : 1031);
        QCOMPARE(MResources::LanguageOffset(), english ? 10000 : 0);
        QCOMPARE(MResources::GetResString(111), english ? QString("&Open") : QString::fromUtf8("Ö&ffnen"));
        // 80 has no English text: the English lookup must not fall back to German.
        QCOMPARE(MResources::GetResString(80), english ? QString("Resource 80 not found") : "KestrixStudio");
        QCOMPARE(MResources::GetResMessage(90, {Variant::Int16(92)}),
                 english ? "KestrixStudio ToolBox - Message 92" : "KestrixStudio ToolBox - Meldung 92");
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), english ? "Cancel" : "Abbrechen");
        QCOMPARE(QLocale().language(), english ? QLocale::English : QLocale::German);
    }

    void unreadableLcidReachesCaller() {
        SetLcid(QVariant("Deutsch"));
        const auto failure = TestSupport::FailureOf([] { MResources::InitLanguage(); });
        QVERIFY(failure && failure->Number() == int(Failure::TypeMismatch));
        QVERIFY2(failure->Description().contains("Deutsch"), qPrintable(failure->Description()));
        QCOMPARE(MResources::GetResString(10), QString("Resource 10 not found"));
    }

    void lookupAndFilling() {
        QCOMPARE(MResources::GetResMessage(92, {"x"}), QString("Resource 92 not found")); // before filling
        MResources::AddResource(500, {"eins"});
        MResources::AddResource(500, {"zwei", "two"});     // keeps German, fills English
        MResources::AddResource(10, {"Vorher", "Before"}); // the table does not overwrite it
        QCOMPARE(MResources::GetResString(500), QString("eins"));
        SetLcid(1033);
        MResources::InitLanguage();
        QCOMPARE(MResources::GetResString(500), QString("two"));
        QCOMPARE(MResources::GetResString(10), QString("Before"));
        QCOMPARE(MResources::GetResString(99), QString("Resource 99 not found"));
        // The English offset pushes the largest id beyond 32 bits.
        const qint32 largest = std::numeric_limits<qint32>::max();
        QCOMPARE(MResources::GetResString(largest), QString("Resource 2147483647 not found"));
    }

    void message_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("placeholders out of order, twice") << "@2@ @1@@1@" << QVariantList{"x", "y"} << "y xx";
        QTest::newRow("number read leniently") << "@1 item@|@ &H2@" << QVariantList{"a", "b"} << "a|b";
        QTest::newRow("half rounds to even") << "@2.5@|@1.5@" << QVariantList{"a", "b"} << "b|b";
        QTest::newRow("escapes") << "a\\nb\\tc\\\\d\\@e" << QVariantList{} << "a\nb\tc\\d@e";
        QTest::newRow("escaped backslash starts no escape") << "\\\\n" << QVariantList{} << "\\n";
        QTest::newRow("escaped at sign starts no placeholder") << "\\@1@" << QVariantList{"a"} << "@1";
        QTest::newRow("unknown escape and final backslash dropped") << "a\\qb\\Nc\\" << QVariantList{} << "aqbNc";
        QTest::newRow("lone at sign dropped") << "10@ items" << QVariantList{} << "10 items";
        QTest::newRow("argument not scanned again") << "@1@@2@" << QVariantList{"a\\n@2@", "z"} << "a\\n@2@z";
        QTest::newRow("no argument of that number") << "[@0@|@-1@|@x@|@2@]" << QVariantList{"a"} << "[|||]";
        QTest::newRow("number beyond a double") << "[@1e999@]" << QVariantList{"a"} << "[]";
        QTest::newRow("argument without text form") << "[@1@]" << QVariantList{QVariant(QVariantList{1})} << "[]";
        QTest::newRow("values as text") << "@1@ @2@ @3@ @4@"
                                        << QVariantList{Variant::Int16(91), 2.5, true, QVariant()} << "91 2.5 True ";
        QTest::newRow("empty text gives at sign and id") << "" << QVariantList{} << "@500";
        // clang-format on
    }
    void message() {
        QFETCH(QString, text);
        QFETCH(QVariantList, args);
        QFETCH(QString, expected);
        MResources::AddResource(500, {text, text});
        QCOMPARE(MResources::GetResMessage(500, args), expected);
    }

    // The table's own escapes, and a path's backslashes in an argument kept as they are.
    void messageOfTheTable() {
        SetLcid(1031);
        MResources::InitLanguage();
        QCOMPARE(MResources::GetResMessage(92, {"C:\\Programme\\n\\@1@"}),
                 "Das registrierte Installationsverzeichnis von KestrixStudio existiert nicht:\n"
                 "C:\\Programme\\n\\@1@");
    }

private:
    static void SetLcid(const QVariant& lcid) {
        const RegValue value = lcid.metaType() == QMetaType::fromType<QString>()
                                   ? RegValue::String("LCID", lcid.toString())
                                   : RegValue::Dword("LCID", lcid.toUInt());
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, value), long(ERROR_SUCCESS));
    }

    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
};

QTEST_GUILESS_MAIN(tst_MResources)
#include "tst_MResources.moc"
