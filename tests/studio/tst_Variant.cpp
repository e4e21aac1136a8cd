#include "common/TestSupport.h"
#include "platform/core/ObjectFactory.h"
#include "studio/Variant.h"

#include <QTest>

#include <functional>

namespace {

QString Number(double value) { return QString::number(value, 'g', 17); }

std::function<QString(const QVariant&)> Conversion(const QString& name) {
    if (name == "Lenient")
        return [](const QVariant& v) { return Number(Variant::LenientNumber(v.toString())); };
    if (name == "Round")
        return [](const QVariant& v) { return Number(Variant::RoundHalfEven(v.toDouble())); };
    if (name == "Int16")
        return [](const QVariant& v) { return QString::number(Variant::ToInt16(v)); };
    if (name == "Int32")
        return [](const QVariant& v) { return QString::number(Variant::ToInt32(v)); };
    if (name == "Double")
        return [](const QVariant& v) { return Number(Variant::ToDouble(v)); };
    return [](const QVariant& v) { return Variant::ToText(v); };
}

} // namespace

// Every conversion in one table: a row per branch (reading, rounding, bounds, failures).
class tst_Variant : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void conversions_data() {
        QTest::addColumn<QString>("conversion");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected"); // the result as text, or "failure N: description"
        const auto row = [](const char* name, const char* conversion, const QVariant& value,
                            const QString& expected) {
            QTest::newRow(name) << QString(conversion) << value << expected;
        };
        const QString notNumber = "failure 13: type mismatch: \"%1\" is not a number";
        // clang-format off
        row("lenient: blanks, tabs and line feeds skipped anywhere", "Lenient", " \t\n-1 2\t3\n4", "-1234");
        row("lenient: fraction, second point ends it", "Lenient", ".25.3", "0.25");
        row("lenient: D exponent with sign and blanks", "Lenient", "25 d -1", "2.5");
        row("lenient: exponent without digits is not read", "Lenient", "3ex", "3");
        row("lenient: hexadecimal stops at a non-digit", "Lenient", "&hfG", "15");
        row("lenient: four hex digits are 16-bit", "Lenient", "&HFFFF", "-1");
        row("lenient: trailing ampersand makes hex 32-bit", "Lenient", "&HFFFF&", "65535");
        row("lenient: octal stops at 8", "Lenient", "&O18", "1");
        row("lenient: ampersand without letter", "Lenient", "&12", "0");
        row("lenient: hex without digits", "Lenient", "&H", "0");
        row("lenient: beyond a double", "Lenient", "1e400", "failure 6: overflow: \"1e400\" is too large a number");
        row("lenient: hex beyond 32 bits", "Lenient", "&H100000000", "failure 6: overflow: \"&H100000000\" is too large a number");
        row("round: half to even, up", "Round", 1.5, "2");
        row("round: half to even, down", "Round", 2.5, "2");
        row("double: empty value gives 0", "Double", QVariant(), "0");
        row("double: true gives -1", "Double", true, "-1");
        row("double: white space of any kind around", "Double", QStringLiteral("\v\r\u00A0-1.25E1\u3000\n"), "-12.5");
        row("double: empty text", "Double", "", notNumber.arg(""));
        row("double: blank between digits", "Double", "1 2", notNumber.arg("1 2"));
        row("double: beyond a double", "Double", "1e400", "failure 6: overflow: \"1e400\" is too large a number");
        row("double: a list", "Double", QVariantList{1}, "failure 13: type mismatch: a list has no number form");
        row("double: missing", "Double", Variant::MissingArgument(), "failure 13: type mismatch: a missing argument has no number form");
        row("int16: text rounds half to even", "Int16", " 2.5 ", "2");
        row("int16: above the bound", "Int16", 32768, "failure 6: overflow: \"32768\" is outside -32768..32767");
        row("int32: above the bound", "Int32", 2147483648.0, "failure 6: overflow: \"2147483648\" is outside -2147483648..2147483647");
        row("int32: long text quoted shortened", "Int32", QString(70, 'x'), notNumber.arg(QString(60, 'x') + "..."));
        row("text: whole double without point", "Text", 3.0, "3");
        row("text: large double in exponent form", "Text", 1e20, "1E+20");
        row("text: an object", "Text", QVariant::fromValue(ObjectRef(std::make_shared<QObject>())), "failure 13: type mismatch: an object has no text form");
        // clang-format on
    }

    void conversions() {
        QFETCH(QString, conversion);
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QString result;
        const auto failure = TestSupport::FailureOf([&] { result = Conversion(conversion)(value); });
        if (failure)
            result = QString("failure %1: %2").arg(failure->Number()).arg(failure->Description());
        QCOMPARE(result, expected);
        // Whatever counts as a number converts, and nothing else does (empty converts to 0 too).
        if (conversion == "Double")
            QCOMPARE(Variant::IsNumeric(value), !failure && value.isValid());
    }
};

QTEST_GUILESS_MAIN(tst_Variant)
#include "tst_Variant.moc"
