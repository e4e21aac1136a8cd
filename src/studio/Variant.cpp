#include "studio/Variant.h"

#include "platform/core/ObjectFactory.h"
#include "studio/Failure.h"

#include <QByteArray>
#include <QMetaType>
#include <cmath>

namespace {

// Registered once so that queued signals and QVariant comparisons know the marker.
const int missingTypeId = qRegisterMetaType<Missing>("Missing");

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

int DigitValue(QChar c, int base) {
    int v = -1;
    if (c >= u'0' && c <= u'9')
        v = c.unicode() - u'0';
    else if (c >= u'a' && c <= u'f')
        v = c.unicode() - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        v = c.unicode() - u'A' + 10;
    return v < base ? v : -1;
}

// A quoted, shortened form of a text for failure descriptions.
QString Quoted(const QString& text) {
    constexpr int limit = 60;
    if (text.size() <= limit)
        return u'"' + text + u'"';
    return u'"' + text.left(limit) + QStringLiteral("...\"");
}

// What a value is, for a description: "a list", "an object", "the Missing marker".
QString KindOf(const QVariant& value) {
    if (Variant::IsMissing(value))
        return QStringLiteral("a missing argument");
    if (value.metaType() == QMetaType::fromType<QVariantList>())
        return QStringLiteral("a list");
    if (value.metaType() == QMetaType::fromType<ObjectRef>() ||
        value.metaType().flags() & QMetaType::PointerToQObject)
        return QStringLiteral("an object");
    return QStringLiteral("a value of type ") + QString::fromLatin1(value.typeName());
}

[[noreturn]] void ThrowTooLarge(const QString& text) {
    throw Failure(Failure::Overflow, QStringLiteral("overflow: %1 is too large a number").arg(Quoted(text)));
}

struct NumberReading {
    enum class Kind { NoNumber, Number, TooLarge };
    Kind kind = Kind::NoNumber;
    double value = 0;
};

// The one reader of numbers in text, in the platform's two manners. Leading (LenientNumber)
// takes the number a text begins with and skips blanks (space, tab, line feed) wherever they
// stand. Whole (IsNumeric and the conversions) takes a text that is one number apart from white
// space around it. Both read the same literals: a signed decimal with fraction and exponent
// (E or D), or an "&H"/"&O" integer.
class NumberReader {
public:
    enum class Manner { Leading, Whole };

    NumberReader(QStringView text, Manner manner) : m_text(text), m_manner(manner) {}

    NumberReading Read() {
        SkipAround();
        if (Next() == u'&')
            return Finish(ReadRadixInteger());
        return Finish(ReadDecimal());
    }

private:
    QChar Next() const { return m_pos < m_text.size() ? m_text[m_pos] : QChar(); }
    bool Take(QChar c) {
        if (m_pos >= m_text.size() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

    static bool IsBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }
    void SkipAround() {
        while (m_pos < m_text.size() &&
               (m_manner == Manner::Leading ? IsBlank(m_text[m_pos]) : m_text[m_pos].isSpace()))
            ++m_pos;
    }
    // Between the characters of a number only the leading manner skips anything.
    void SkipInside() {
        if (m_manner == Manner::Leading)
            SkipAround();
    }

    // A whole text must hold nothing but white space after the number.
    NumberReading Finish(NumberReading reading) {
        if (m_manner == Manner::Whole && reading.kind == NumberReading::Kind::Number) {
            SkipAround();
            if (m_pos < m_text.size())
                return {};
        }
        return reading;
    }

    // The platform's widths: up to &HFFFF (&O177777) a literal is a 16-bit integer, so &HFFFF
    // is -1; above that, or with a trailing "&", a 32-bit one (&HFFFF& is 65535).
    NumberReading ReadRadixInteger() {
        ++m_pos;
        SkipInside();
        const QChar letter = Next().toUpper();
        const int base = letter == u'H' ? 16 : letter == u'O' ? 8 : 0;
        if (base == 0)
            return {};
        ++m_pos;
        quint64 value = 0;
        bool anyDigit = false;
        for (SkipInside(); DigitValue(Next(), base) >= 0; SkipInside()) {
            value = value * base + DigitValue(Next(), base);
            anyDigit = true;
            ++m_pos;
            if (value > 0xFFFFFFFFull)
                return {NumberReading::Kind::TooLarge, 0};
        }
        if (!anyDigit)
            return {};
        const bool long32 = Take(u'&') || value > 0xFFFF;
        const double number = long32 ? double(qint32(quint32(value))) : double(qint16(quint16(value)));
        return {NumberReading::Kind::Number, number};
    }

    // Digits into number; true when there was one.
    bool ReadDigits(QByteArray& number) {
        bool any = false;
        for (SkipInside(); IsDigit(Next()); SkipInside()) {
            number += char(Next().unicode());
            any = true;
            ++m_pos;
        }
        return any;
    }

    // An exponent counts only with digits; without them the letter is not part of the number.
    void ReadExponent(QByteArray& number) {
        const QChar letter = Next().toUpper();
        if (letter != u'E' && letter != u'D')
            return;
        const qsizetype start = m_pos;
        ++m_pos;
        SkipInside();
        QByteArray exponent = "e";
        if (Next() == u'+' || Next() == u'-') {
            exponent += char(Next().unicode());
            ++m_pos;
        }
        if (ReadDigits(exponent))
            number += exponent;
        else
            m_pos = start;
    }

    // Collects the number's characters in C form for the C-locale reader.
    NumberReading ReadDecimal() {
        QByteArray number;
        if (Next() == u'+' || Next() == u'-') {
            number += char(Next().unicode());
            ++m_pos;
        }
        bool anyDigit = ReadDigits(number);
        if (Take(u'.')) {
            number += '.';
            anyDigit = ReadDigits(number) || anyDigit;
        }
        if (!anyDigit)
            return {};
        ReadExponent(number);
        bool ok = false;
        const double value = number.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return {NumberReading::Kind::TooLarge, 0};
        return {NumberReading::Kind::Number, value};
    }

    QStringView m_text;
    Manner m_manner;
    qsizetype m_pos = 0;
};

NumberReading ReadWhole(const QString& text) {
    return NumberReader(text, NumberReader::Manner::Whole).Read();
}

bool IsNumberType(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double: return true;
    default: return false;
    }
}

QString NumberText(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    // The platform writes exponents in capitals: 1E+20.
    return QString::number(value, 'g', 15).toUpper();
}

double RoundedInRange(const QVariant& value, double low, double high) {
    const double rounded = Variant::RoundHalfEven(Variant::ToDouble(value));
    if (!(rounded >= low && rounded <= high)) {
        throw Failure(Failure::Overflow, QStringLiteral("overflow: %1 is outside %2..%3")
                                             .arg(Quoted(Variant::ToText(value)))
                                             .arg(static_cast<qint64>(low))
                                             .arg(static_cast<qint64>(high)));
    }
    return rounded;
}

} // namespace

namespace Variant {

QVariant MissingArgument() { return QVariant::fromValue(Missing{}); }

bool IsMissing(const QVariant& value) { return value.metaType().id() == missingTypeId; }

QVariant Int16(qint16 value) { return QVariant::fromValue<qint16>(value); }

double LenientNumber(const QString& text) {
    const NumberReading reading = NumberReader(text, NumberReader::Manner::Leading).Read();
    if (reading.kind == NumberReading::Kind::TooLarge)
        ThrowTooLarge(text);
    return reading.value;
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

bool IsNumeric(const QVariant& value) {
    if (IsNumberType(value))
        return true;
    if (value.metaType() == QMetaType::fromType<QString>())
        return ReadWhole(value.toString()).kind == NumberReading::Kind::Number;
    return false;
}

double ToDouble(const QVariant& value) {
    if (!value.isValid())
        return 0;
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? -1 : 0;
    if (IsNumberType(value))
        return value.toDouble();
    if (value.metaType() == QMetaType::fromType<QString>()) {
        const QString text = value.toString();
        const NumberReading reading = ReadWhole(text);
        if (reading.kind == NumberReading::Kind::TooLarge)
            ThrowTooLarge(text);
        if (reading.kind == NumberReading::Kind::NoNumber)
            throw Failure(Failure::TypeMismatch,
                          QStringLiteral("type mismatch: %1 is not a number").arg(Quoted(text)));
        return reading.value;
    }
    throw Failure(Failure::TypeMismatch,
                  QStringLiteral("type mismatch: %1 has no number form").arg(KindOf(value)));
}

qint16 ToInt16(const QVariant& value) {
    return static_cast<qint16>(RoundedInRange(value, -32768.0, 32767.0));
}

qint32 ToInt32(const QVariant& value) {
    return static_cast<qint32>(RoundedInRange(value, -2147483648.0, 2147483647.0));
}

QString ToText(const QVariant& value) {
    if (!value.isValid())
        return QString();
    switch (value.metaType().id()) {
    case QMetaType::QString: return value.toString();
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Float:
    case QMetaType::Double: return NumberText(value.toDouble());
    default: break;
    }
    if (IsNumberType(value))
        return value.toString();
    throw Failure(Failure::TypeMismatch,
                  QStringLiteral("type mismatch: %1 has no text form").arg(KindOf(value)));
}

} // namespace Variant
