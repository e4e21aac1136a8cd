#include "studio/Variant.h"

#include "platform/core/ObjectFactory.h"
#include "studio/Failure.h"

#include <QByteArray>
#include <QMetaType>
#include <cmath>
#include <limits>

namespace {

// Registered once so that queued signals and QVariant comparisons know the marker.
const int missingTypeId = qRegisterMetaType<Missing>("Missing");

bool IsSkipped(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }

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

// Reads the whole text of an "&H"/"&O" integer starting at pos (just after the letter);
// blanks may stand between digits. Up to 32 bits, read as a 32-bit two's complement number.
double ReadRadixInteger(const QString& text, qsizetype pos, int base) {
    quint64 value = 0;
    for (; pos < text.size(); ++pos) {
        const QChar c = text.at(pos);
        if (IsSkipped(c))
            continue;
        const int digit = DigitValue(c, base);
        if (digit < 0)
            break;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull)
            throw Failure(Failure::Overflow,
                          QStringLiteral("overflow: %1 does not fit in 32 bits").arg(Quoted(text)));
    }
    return static_cast<double>(static_cast<qint32>(static_cast<quint32>(value)));
}

enum class NumberKind { Decimal, Hex, Octal };

// Whole-text check for IsNumeric: surrounding blanks, then a signed decimal with optional
// fraction and exponent, or an "&H"/"&O" integer.
bool IsWholeNumberText(const QString& raw) {
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return false;
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (text.at(0) == u'&') {
        if (n < 3)
            return false;
        const QChar letter = text.at(1).toUpper();
        const int base = letter == u'H' ? 16 : letter == u'O' ? 8 : 0;
        if (base == 0)
            return false;
        for (i = 2; i < n; ++i)
            if (DigitValue(text.at(i), base) < 0)
                return false;
        return true;
    }
    if (text.at(i) == u'+' || text.at(i) == u'-')
        ++i;
    qsizetype digits = 0;
    while (i < n && IsDigit(text.at(i))) {
        ++i;
        ++digits;
    }
    if (i < n && text.at(i) == u'.') {
        ++i;
        while (i < n && IsDigit(text.at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (text.at(i).toUpper() == u'E' || text.at(i).toUpper() == u'D')) {
        ++i;
        if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
            ++i;
        qsizetype expDigits = 0;
        while (i < n && IsDigit(text.at(i))) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    return i == n;
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
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skip = [&] {
        while (i < n && IsSkipped(text.at(i)))
            ++i;
    };

    skip();
    if (i + 1 < n && text.at(i) == u'&') {
        qsizetype j = i + 1;
        while (j < n && IsSkipped(text.at(j)))
            ++j;
        if (j < n) {
            const QChar letter = text.at(j).toUpper();
            if (letter == u'H')
                return ReadRadixInteger(text, j + 1, 16);
            if (letter == u'O')
                return ReadRadixInteger(text, j + 1, 8);
        }
        return 0;
    }

    // Collect the number's characters in C form, then let the C-locale reader convert them.
    QByteArray number;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
        number += char(text.at(i).unicode());
        ++i;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (IsSkipped(c))
            continue;
        if (IsDigit(c)) {
            number += char(c.unicode());
            anyDigit = true;
        } else if (c == u'.' && !seenPoint) {
            number += '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0;
    if (i < n && (text.at(i).toUpper() == u'E' || text.at(i).toUpper() == u'D')) {
        ++i;
        skip();
        QByteArray exponent = "e";
        if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
            exponent += char(text.at(i).unicode());
            ++i;
        }
        bool anyExpDigit = false;
        for (; i < n; ++i) {
            const QChar c = text.at(i);
            if (IsSkipped(c))
                continue;
            if (!IsDigit(c))
                break;
            exponent += char(c.unicode());
            anyExpDigit = true;
        }
        if (anyExpDigit)
            number += exponent;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        throw Failure(Failure::Overflow,
                      QStringLiteral("overflow: %1 is too large a number").arg(Quoted(text)));
    return value;
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
        return IsWholeNumberText(value.toString());
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
        if (!IsWholeNumberText(text))
            throw Failure(Failure::TypeMismatch,
                          QStringLiteral("type mismatch: %1 is not a number").arg(Quoted(text)));
        return LenientNumber(text);
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
