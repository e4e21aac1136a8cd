// Lenient number reading: numeric exactly when it converts, to its number, rounded where it fits.
#include "studio/Failure.h"
#include "studio/Variant.h"

#include "FuzzCheck.h"

#include <cmath>
#include <optional>

namespace {

// The converted number, or the failure's number.
template <typename Convert> std::pair<std::optional<double>, int> Try(Convert convert) {
    try {
        return {double(convert()), 0};
    } catch (const Failure& failure) {
        return {std::nullopt, failure.Number()};
    }
}

} // namespace

KX4_FUZZ_TARGET(input) {
    const QString text = QString::fromUtf8(input);
    const QVariant value(text);
    const auto [number, failure] = Try([&] { return Variant::ToDouble(value); });
    if (!Variant::IsNumeric(value)) {
        Fuzz::Expect(!number && (failure == Failure::TypeMismatch || failure == Failure::Overflow),
                     "a text that is not numeric fails to convert with 13 or 6", text);
        return;
    }
    const std::optional<double> bare = Try([&] { return Variant::LenientNumber(text.trimmed()); }).first;
    Fuzz::Expect(number && bare && (*bare == *number || (std::isnan(*bare) && std::isnan(*number))),
                 "a numeric text converts to its number", text);
    const double rounded = Variant::RoundHalfEven(*number);
    for (const auto& [integer, limit] :
         {std::pair(Try([&] { return Variant::ToInt32(value); }), 2147483647.0),
          std::pair(Try([&] { return Variant::ToInt16(value); }), 32767.0)})
        Fuzz::Expect(rounded >= -limit - 1 && rounded <= limit ? integer.first == rounded
                                                               : integer.second == Failure::Overflow,
                     "an integer is the rounded number, or overflows out of range", text);
}
