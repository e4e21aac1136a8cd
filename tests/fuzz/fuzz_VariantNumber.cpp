// Lenient number reading on any text. The numeric test and the conversions share one reading: a
// text that counts as a number converts to the number its digits say, whatever white space
// surrounds it, and to the rounded integer where that fits; any other text fails to convert.
#include "studio/Failure.h"
#include "studio/Variant.h"

#include "FuzzCheck.h"

#include <cmath>
#include <optional>

namespace {

// The number, or the failure's number.
struct Outcome {
    std::optional<double> value;
    int failure = 0;
};

template <typename Convert> Outcome Try(Convert convert) {
    try {
        return {double(convert()), 0};
    } catch (const Failure& failure) {
        return {std::nullopt, failure.Number()};
    }
}

bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void ExpectInteger(const Outcome& integer, double value, double low, double high, const QString& text) {
    const double rounded = Variant::RoundHalfEven(value);
    if (rounded >= low && rounded <= high)
        Fuzz::Expect(integer.value && *integer.value == rounded, "an integer in range is the rounded number",
                     text);
    else
        Fuzz::Expect(integer.failure == Failure::Overflow, "an integer out of range overflows", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(Fuzz::Bytes(data, size));
    const QVariant value(text);
    const bool numeric = Variant::IsNumeric(value);
    const Outcome asDouble = Try([&] { return Variant::ToDouble(value); });
    if (!numeric) {
        Fuzz::Expect(!asDouble.value, "a text that is not numeric does not convert", text);
        Fuzz::Expect(asDouble.failure == Failure::TypeMismatch || asDouble.failure == Failure::Overflow,
                     "a text that is not numeric fails with 13 or 6", text);
        return 0;
    }
    Fuzz::Expect(asDouble.value.has_value(), "a numeric text converts", text);
    // The white space around a number is no part of it: the number alone reads the same.
    const Outcome bare = Try([&] { return Variant::LenientNumber(text.trimmed()); });
    Fuzz::Expect(bare.value && Same(*bare.value, *asDouble.value), "a numeric text converts to its number",
                 text);
    ExpectInteger(Try([&] { return Variant::ToInt32(value); }), *asDouble.value, -2147483648.0, 2147483647.0,
                  text);
    ExpectInteger(Try([&] { return Variant::ToInt16(value); }), *asDouble.value, -32768.0, 32767.0, text);
    return 0;
}
