#include "platform/core/ObjectFactory.h"
#include "studio/Failure.h"
#include "studio/Variant.h"

#include <QTest>

#include <limits>

class tst_Variant : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lenientNumber_data();
    void lenientNumber();
    void lenientNumberOverflow_data();
    void lenientNumberOverflow();
    void roundHalfEven_data();
    void roundHalfEven();
    void numericTestAndConversionAgree_data();
    void numericTestAndConversionAgree();
    void toInt16_data();
    void toInt16();
    void toInt32_data();
    void toInt32();
    void conversionFailures_data();
    void conversionFailures();
    void toText_data();
    void toText();
    void missingMarker();
};

void tst_Variant::lenientNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("empty text") << "" << 0.0;
    QTest::newRow("no number at all") << "abc" << 0.0;
    QTest::newRow("plain integer") << "42" << 42.0;
    QTest::newRow("stops at the first letter") << "12abc" << 12.0;
    QTest::newRow("stops at a closing at sign") << "1 item@" << 1.0;
    QTest::newRow("leading blanks") << "   7" << 7.0;
    QTest::newRow("tab and line feed skipped") << "\t\n3" << 3.0;
    QTest::newRow("blanks between digits") << "1 2\t3\n4" << 1234.0;
    QTest::newRow("carriage return is not skipped") << "\r5" << 0.0;
    QTest::newRow("negative sign") << "-15" << -15.0;
    QTest::newRow("plus sign") << "+8" << 8.0;
    QTest::newRow("sign after blank") << "  -2" << -2.0;
    QTest::newRow("two signs give no number") << "--1" << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("decimal point") << "2.5" << 2.5;
    QTest::newRow("leading decimal point") << ".25" << 0.25;
    QTest::newRow("second point ends the number") << "1.2.3" << 1.2;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("exponent") << "1.5e3" << 1500.0;
    QTest::newRow("capital exponent with sign") << "25E-1" << 2.5;
    QTest::newRow("D exponent") << "2d2" << 200.0;
    QTest::newRow("exponent without digits") << "3e" << 3.0;
    QTest::newRow("exponent letter then text") << "3ex" << 3.0;
    QTest::newRow("blanks inside exponent") << "1 e 2" << 100.0;
    QTest::newRow("hexadecimal") << "&H1F" << 31.0;
    QTest::newRow("hexadecimal lower case") << "&hff" << 255.0;
    QTest::newRow("hexadecimal stops at non-digit") << "&H1G" << 1.0;
    QTest::newRow("hexadecimal 32-bit wraps negative") << "&HFFFFFFFF" << -1.0;
    QTest::newRow("four hex digits are a 16-bit value") << "&HFFFF" << -1.0;
    QTest::newRow("16-bit hex lower bound") << "&H8000" << -32768.0;
    QTest::newRow("leading zeros keep a hex value 16-bit") << "&H0FFFF" << -1.0;
    QTest::newRow("trailing ampersand makes hex 32-bit") << "&HFFFF&" << 65535.0;
    QTest::newRow("hex above 16 bits is 32-bit") << "&H10000" << 65536.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal up to 177777 is a 16-bit value") << "&O177777" << -1.0;
    QTest::newRow("octal above 16 bits is 32-bit") << "&O200000" << 65536.0;
    QTest::newRow("octal stops at 8") << "&O18" << 1.0;
    QTest::newRow("ampersand without letter") << "&12" << 0.0;
    QTest::newRow("hex without digits") << "&H" << 0.0;
    QTest::newRow("non-breaking space not skipped") << QString(QChar(0xA0)) + "5" << 0.0;
}

void tst_Variant::lenientNumber() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(Variant::LenientNumber(text), expected);
}

void tst_Variant::lenientNumberOverflow_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("decimal beyond double") << "1e400";
    QTest::newRow("hexadecimal beyond 32 bits") << "&H100000000";
}

void tst_Variant::lenientNumberOverflow() {
    QFETCH(QString, text);
    try {
        Variant::LenientNumber(text);
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QCOMPARE(failure.Number(), int(Failure::Overflow));
        QVERIFY2(failure.Description().contains(text), qPrintable(failure.Description()));
    }
}

void tst_Variant::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("half to even below") << 0.5 << 0.0;
    QTest::newRow("half to even above") << 1.5 << 2.0;
    QTest::newRow("two and a half") << 2.5 << 2.0;
    QTest::newRow("negative half") << -0.5 << 0.0;
    QTest::newRow("negative one and a half") << -1.5 << -2.0;
    QTest::newRow("negative two and a half") << -2.5 << -2.0;
    QTest::newRow("below half") << 2.49 << 2.0;
    QTest::newRow("above half") << 2.51 << 3.0;
    QTest::newRow("whole number") << 7.0 << 7.0;
    QTest::newRow("negative above half") << -2.7 << -3.0;
}

void tst_Variant::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(Variant::RoundHalfEven(value), expected);
}

// One reading decides both: a value that counts as a number converts to that number, and
// one that does not fails to convert (an empty value is no number but converts to 0).
void tst_Variant::numericTestAndConversionAgree_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("number");
    QTest::addColumn<int>("failure"); // of ToDouble

    QTest::newRow("16-bit integer") << Variant::Int16(4) << true << 4.0 << 0;
    QTest::newRow("32-bit integer") << QVariant(70000) << true << 70000.0 << 0;
    QTest::newRow("double") << QVariant(2.5) << true << 2.5 << 0;
    QTest::newRow("boolean true") << QVariant(true) << true << -1.0 << 0;
    QTest::newRow("text with surrounding blanks") << QVariant("  12 ") << true << 12.0 << 0;
    QTest::newRow("signed decimal text") << QVariant(" -1.25 ") << true << -1.25 << 0;
    QTest::newRow("text with exponent") << QVariant("1E3") << true << 1000.0 << 0;
    QTest::newRow("point after the digits") << QVariant("5.") << true << 5.0 << 0;
    QTest::newRow("leading point") << QVariant(".5") << true << 0.5 << 0;
    QTest::newRow("carriage return before digits") << QVariant("\r5") << true << 5.0 << 0;
    QTest::newRow("vertical tab, form feed and CR LF around") << QVariant("\v\f7\r\n") << true << 7.0 << 0;
    QTest::newRow("no-break space around") << QVariant(QStringLiteral("\u00A03\u3000")) << true << 3.0 << 0;
    QTest::newRow("hexadecimal text") << QVariant("&H10") << true << 16.0 << 0;
    QTest::newRow("four hex digits convert as 16-bit") << QVariant("&HFFFF") << true << -1.0 << 0;
    QTest::newRow("hex with trailing ampersand") << QVariant(" &HFFFF& ") << true << 65535.0 << 0;
    QTest::newRow("octal text") << QVariant("&O7") << true << 7.0 << 0;
    QTest::newRow("empty value") << QVariant() << false << 0.0 << 0;
    QTest::newRow("control character that is no space") << QVariant("\x01"
                                                                    "5")
                                                        << false << 0.0 << 13;
    QTest::newRow("empty text") << QVariant("") << false << 0.0 << 13;
    QTest::newRow("blank text") << QVariant("   ") << false << 0.0 << 13;
    QTest::newRow("number then letters") << QVariant("12abc") << false << 0.0 << 13;
    QTest::newRow("blank between digits") << QVariant("1 2") << false << 0.0 << 13;
    QTest::newRow("sign alone") << QVariant("-") << false << 0.0 << 13;
    QTest::newRow("exponent without digits") << QVariant("1e") << false << 0.0 << 13;
    QTest::newRow("octal text with 8") << QVariant("&O8") << false << 0.0 << 13;
    QTest::newRow("hex prefix alone") << QVariant("&H") << false << 0.0 << 13;
    QTest::newRow("decimal beyond double") << QVariant("1e400") << false << 0.0 << 6;
    QTest::newRow("hex beyond 32 bits") << QVariant("&H100000000") << false << 0.0 << 6;
    QTest::newRow("missing marker") << Variant::MissingArgument() << false << 0.0 << 13;
    QTest::newRow("list") << QVariant(QVariantList{1}) << false << 0.0 << 13;
}

void tst_Variant::numericTestAndConversionAgree() {
    QFETCH(QVariant, value);
    QFETCH(bool, numeric);
    QFETCH(double, number);
    QFETCH(int, failure);
    QCOMPARE(Variant::IsNumeric(value), numeric);
    try {
        QCOMPARE(Variant::ToDouble(value), number);
        QCOMPARE(0, failure);
    } catch (const Failure& caught) {
        QCOMPARE(caught.Number(), failure);
        QVERIFY(!numeric);
    }
}

void tst_Variant::toInt16_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty gives 0") << QVariant() << 0;
    QTest::newRow("true gives -1") << QVariant(true) << -1;
    QTest::newRow("false gives 0") << QVariant(false) << 0;
    QTest::newRow("upper bound") << QVariant(32767) << 32767;
    QTest::newRow("lower bound") << QVariant(-32768) << -32768;
    QTest::newRow("text number") << QVariant(" 123 ") << 123;
    QTest::newRow("text rounds half to even") << QVariant("2.5") << 2;
    QTest::newRow("double rounds half to even") << QVariant(3.5) << 4;
    QTest::newRow("just under the bound rounds into range") << QVariant(32767.4) << 32767;
    QTest::newRow("hex text") << QVariant("&H7FFF") << 32767;
    QTest::newRow("four hex digits are 16-bit") << QVariant("&HFFFF") << -1;
}

void tst_Variant::toInt16() {
    QFETCH(QVariant, value);
    QFETCH(int, expected);
    QCOMPARE(int(Variant::ToInt16(value)), expected);
}

void tst_Variant::toInt32_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<qint32>("expected");
    QTest::newRow("16-bit value") << Variant::Int16(1031) << 1031;
    QTest::newRow("upper bound") << QVariant(2147483647.0) << std::numeric_limits<qint32>::max();
    QTest::newRow("lower bound") << QVariant("-2147483648") << std::numeric_limits<qint32>::min();
    QTest::newRow("text with exponent") << QVariant("1.033e3") << 1033;
    QTest::newRow("negative half rounds to even") << QVariant(-0.5) << 0;
    QTest::newRow("hex text all ones") << QVariant("&HFFFFFFFF") << -1;
    QTest::newRow("true gives -1") << QVariant(true) << -1;
}

void tst_Variant::toInt32() {
    QFETCH(QVariant, value);
    QFETCH(qint32, expected);
    QCOMPARE(Variant::ToInt32(value), expected);
}

void tst_Variant::conversionFailures_data() {
    QTest::addColumn<QString>("conversion");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    QTest::newRow("int16 above range")
        << "ToInt16" << QVariant(32768) << 6 << "overflow: \"32768\" is outside -32768..32767";
    QTest::newRow("int16 below range")
        << "ToInt16" << QVariant(-32769) << 6 << "overflow: \"-32769\" is outside -32768..32767";
    QTest::newRow("int16 rounding over the bound")
        << "ToInt16" << QVariant(32767.5) << 6 << "overflow: \"32767.5\" is outside -32768..32767";
    QTest::newRow("int16 of letters")
        << "ToInt16" << QVariant("abc") << 13 << "type mismatch: \"abc\" is not a number";
    QTest::newRow("int32 of empty text")
        << "ToInt32" << QVariant("") << 13 << "type mismatch: \"\" is not a number";
    QTest::newRow("int32 of partly numeric text")
        << "ToInt32" << QVariant("12abc") << 13 << "type mismatch: \"12abc\" is not a number";
    QTest::newRow("int32 above range") << "ToInt32" << QVariant("2147483648") << 6
                                       << "overflow: \"2147483648\" is outside -2147483648..2147483647";
    QTest::newRow("int32 of a list") << "ToInt32" << QVariant(QVariantList{1}) << 13
                                     << "type mismatch: a list has no number form";
    QTest::newRow("int32 of missing") << "ToInt32" << Variant::MissingArgument() << 13
                                      << "type mismatch: a missing argument has no number form";
    QTest::newRow("text of a list") << "ToText" << QVariant(QVariantList{}) << 13
                                    << "type mismatch: a list has no text form";
    QTest::newRow("text of missing") << "ToText" << Variant::MissingArgument() << 13
                                     << "type mismatch: a missing argument has no text form";
    QTest::newRow("text of an object")
        << "ToText" << QVariant::fromValue(ObjectRef(std::make_shared<QObject>())) << 13
        << "type mismatch: an object has no text form";
}

void tst_Variant::conversionFailures() {
    QFETCH(QString, conversion);
    QFETCH(QVariant, value);
    QFETCH(int, number);
    QFETCH(QString, description);
    try {
        if (conversion == "ToInt16")
            Variant::ToInt16(value);
        else if (conversion == "ToInt32")
            Variant::ToInt32(value);
        else
            Variant::ToText(value);
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QCOMPARE(failure.Number(), number);
        QCOMPARE(failure.Description(), description);
    }
}

void tst_Variant::toText_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text unchanged") << QVariant("a\\nb @1@") << "a\\nb @1@";
    QTest::newRow("empty value") << QVariant() << "";
    QTest::newRow("16-bit integer") << Variant::Int16(-7) << "-7";
    QTest::newRow("32-bit integer") << QVariant(70000) << "70000";
    QTest::newRow("whole double without point") << QVariant(3.0) << "3";
    QTest::newRow("fraction") << QVariant(2.5) << "2.5";
    QTest::newRow("large double in exponent form") << QVariant(1e20) << "1E+20";
    QTest::newRow("true") << QVariant(true) << "True";
    QTest::newRow("false") << QVariant(false) << "False";
}

void tst_Variant::toText() {
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(Variant::ToText(value), expected);
}

void tst_Variant::missingMarker() {
    const QVariant missing = Variant::MissingArgument();
    QVERIFY(Variant::IsMissing(missing));
    QVERIFY(!Variant::IsMissing(QVariant()));
    QVERIFY(!Variant::IsMissing(QVariant(0)));
    QVERIFY(QMetaType::fromName("Missing").isValid());
    QCOMPARE(missing, Variant::MissingArgument());
    QCOMPARE(Variant::Int16(5).metaType(), QMetaType::fromType<qint16>());
}

QTEST_GUILESS_MAIN(tst_Variant)
#include "tst_Variant.moc"
