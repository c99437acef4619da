#pragma once

#include "support/PrintTo.h"

#include <gtest/gtest.h>

#include <QTest>

// Whether `read()` comes to equal `expected` within `timeoutMs`, events handled meanwhile; the
// failure says what it read last. (QTRY_COMPARE's failure would reach only Qt Test's own log and
// never fail a GoogleTest test.)
template <typename Read, typename T>
::testing::AssertionResult eventuallyEqual(const Read& read, const T& expected, int timeoutMs = 5000)
{
    if (QTest::qWaitFor([&] { return read() == expected; }, timeoutMs))
        return ::testing::AssertionSuccess();
    const auto last = read();
    return ::testing::AssertionFailure() << "after " << timeoutMs << " ms still " << ::testing::PrintToString(last)
                                         << ", not " << ::testing::PrintToString(expected);
}
