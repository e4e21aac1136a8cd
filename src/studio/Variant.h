#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

// Tagged values are QVariants: invalid (empty), short (16-bit), int (32-bit), bool, QString,
// an object (ObjectRef, see platform/ObjectFactory.h), QVariantList, or the Missing marker.
// The conversions below are the platform's, kept in one place; they throw Failure.

// The missing-argument marker (a call left an optional argument out).
struct Missing {
    bool operator==(const Missing&) const { return true; }
};
Q_DECLARE_METATYPE(Missing)

namespace Variant {

QVariant MissingArgument();
bool IsMissing(const QVariant& value);
// A 16-bit integer value (the platform's Integer).
QVariant Int16(qint16 value);

// Reads the number a text begins with: blanks, tabs and line feeds are skipped wherever they
// stand; sign, digits, decimal point and exponent up to the first character that cannot
// continue the number; "&H"/"&O" read hexadecimal/octal integers, a 16-bit value up to
// &HFFFF/&O177777 (&HFFFF is -1), a 32-bit one above or with a trailing "&" (&HFFFF& is
// 65535). No number gives 0. Throws Failure 6 for a number beyond a double or 32 bits.
double LenientNumber(const QString& text);
// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);
// True for a number of any kind, or a text that is one number as a whole: the literals of
// LenientNumber with white space (QChar::isSpace) around them but none inside. Empty text and
// empty values are not numeric. ToDouble gives every numeric value its number.
bool IsNumeric(const QVariant& value);
// Numeric conversions of a tagged value, rounding half to even. Throw Failure 13 (type
// mismatch) for a text that is not numeric (the empty text too) or a value without a
// number form; Failure 6 (overflow) outside the target range. Empty gives 0, true gives -1.
qint16 ToInt16(const QVariant& value);
qint32 ToInt32(const QVariant& value);
double ToDouble(const QVariant& value);
// The text form: a text unchanged, numbers in decimal digits, Boolean "True"/"False",
// empty as "". Throws Failure 13 for a value without a text form (a list, an object, Missing).
QString ToText(const QVariant& value);

} // namespace Variant
