#pragma once

#include "common/TempPrefix.h"
#include "studio/Failure.h"

#include <QTest>
#include <optional>

// What the tests share: a temporary prefix in place of the machine's state, and the failure a
// call throws.
namespace TestSupport {

// The failure that call throws, or nothing when it returns.
template <typename Call> std::optional<Failure> FailureOf(Call&& call) {
    try {
        call();
    } catch (const Failure& failure) {
        return failure;
    }
    return std::nullopt;
}

} // namespace TestSupport

// Verifies that statement throws a Failure with that number; the failure's description is
// printed when it does not.
#define KX4_VERIFY_FAILURE(statement, number)                                                                \
    do {                                                                                                     \
        const std::optional<Failure> kx4Caught = TestSupport::FailureOf([&] { statement; });                 \
        QVERIFY2(kx4Caught.has_value(), "no failure from " #statement);                                      \
        QVERIFY2(kx4Caught->Number() == int(number), qPrintable(kx4Caught->Text()));                         \
    } while (false)
