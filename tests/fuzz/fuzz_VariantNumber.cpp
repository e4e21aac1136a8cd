// Lenient number reading on any text: a text counts as a number exactly when it converts, to the
// number its digits say whatever white space surrounds it, and to the rounded integer where that fits.
#include "studio/Failure.h"
#include "studio/Variant.h"

#include "FuzzCheck.h"

#include <cmath>
#include <optional>

namespace {

template <typename Convert> std::pair<std::optional<double>, int> Try(Convert convert) {
    try {
        return {double(convert()), 0};
    } catch (const Failure& failure) {
        return {std::nullopt, failure.Number()};
    }
}

void ExpectInteger(std::pair<std::optional<double>, int> integer, double value, double limit,
                   const QString& text) {
    const double rounded = Variant::RoundHalfEven(value);
    if (rounded >= -limit - 1 && rounded <= limit)
        Fuzz::Expect(integer.first == rounded, "an integer in range is the rounded number", text);
    else
        Fuzz::Expect(integer.second == Failure::Overflow, "an integer out of range overflows", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(Fuzz::Bytes(data, size));
    const QVariant value(text);
    const auto [number, failure] = Try([&] { return Variant::ToDouble(value); });
    if (!Variant::IsNumeric(value)) {
        Fuzz::Expect(!number && (failure == Failure::TypeMismatch || failure == Failure::Overflow),
                     "a text that is not numeric fails to convert with 13 or 6", text);
        return 0;
    }
    Fuzz::Expect(number.has_value(), "a numeric text converts", text);
    const std::optional<double> bare = Try([&] { return Variant::LenientNumber(text.trimmed()); }).first;
    Fuzz::Expect(bare && (*bare == *number || (std::isnan(*bare) && std::isnan(*number))),
                 "a numeric text converts to its number", text);
    ExpectInteger(Try([&] { return Variant::ToInt32(value); }), *number, 2147483647.0, text);
    ExpectInteger(Try([&] { return Variant::ToInt16(value); }), *number, 32767.0, text);
    return 0;
}
