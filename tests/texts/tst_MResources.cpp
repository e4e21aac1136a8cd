#include "common/TestSupport.h"
#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"
#include "texts/MResources.h"

#include <QLocale>
#include <QTest>

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
        MResources::AddResource(500, {"eins"});
        MResources::AddResource(500, {"zwei", "two"});     // keeps German, fills English
        MResources::AddResource(10, {"Vorher", "Before"}); // the table does not overwrite it
        QCOMPARE(MResources::GetResString(500), QString("eins"));
        SetLcid(1033);
        MResources::InitLanguage();
        QCOMPARE(MResources::GetResString(500), QString("two"));
        QCOMPARE(MResources::GetResString(10), QString("Before"));
        // The English offset pushes the largest id beyond 32 bits.
        QCOMPARE(MResources::GetResString(2147483647), QString("Resource 2147483647 not found"));
    }

    void message_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("placeholders out of order, twice") << "@2@ @1@@1@" << QVariantList{"x", "y"} << "y xx";
        QTest::newRow("number read leniently, half to even") << "@1 item@|@ &H2@|@2.5@" << QVariantList{"a", "b"} << "a|b|b";
        // An escaped backslash or at sign starts no escape or placeholder; a lone at sign is dropped.
        QTest::newRow("escapes") << "a\\nb\\tc\\\\n\\@1@" << QVariantList{"x"} << "a\nb\tc\\n@1";
        QTest::newRow("unknown escape and final backslash dropped") << "a\\qb\\Nc\\" << QVariantList{} << "aqbNc";
        QTest::newRow("argument not scanned again") << "@1@@2@" << QVariantList{"a\\n@2@", "z"} << "a\\n@2@z";
        QTest::newRow("no argument of that number") << "[@0@|@2@|@1e999@]" << QVariantList{"a"} << "[||]";
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
