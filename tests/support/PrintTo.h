#pragma once

#include "core/store/Result.h"

#include <gtest/gtest.h>

#include <QString>

#include <ostream>

// Readable failure output for Qt texts in every test.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quorrel {
// A result shows its value, or why it failed.
template <typename T> void PrintTo(const Result<T>& result, std::ostream* out)
{
    if (result)
        *out << ::testing::PrintToString(*result);
    else
        *out << "failed: " << result.error().toStdString();
}
} // namespace quorrel
