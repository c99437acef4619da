#include "core/store/Decimal.h"

#include "support/Hooks.h"

#include <gtest/gtest.h>

namespace quorrel::test {
namespace {

QString sumOf(const QStringList& cells)
{
    return exactSum(cells).value_or(QStringLiteral("overflow"));
}

TEST(DecimalTest, SumsAreExactWhereSinglePrecisionIsNot)
{
    // One line of 131072.01 summed through single precision shows 131072.02.
    EXPECT_EQ(sumOf({QStringLiteral("131072.01")}), QStringLiteral("131072.01"));
    EXPECT_EQ(sumOf({QStringLiteral("1234567.89"), QStringLiteral("0.11")}), QStringLiteral("1234568"));
    EXPECT_EQ(sumOf({QStringLiteral("0.1"), QStringLiteral("0.2")}), QStringLiteral("0.3"));
    EXPECT_EQ(sumOf({QStringLiteral("3.50"), QStringLiteral("-1.5"), QStringLiteral("abc")}), QStringLiteral("2"));
    EXPECT_EQ(sumOf({}), QStringLiteral("0"));
    // Full-width digits and the exponent form read as the number they show.
    EXPECT_EQ(sumOf({QStringLiteral("１．５"), QStringLiteral("2.415432098762e+13")}),
              QStringLiteral("24154320987621.5"));
    EXPECT_EQ(sumOf({QStringLiteral("9000000000000000000"), QStringLiteral("9000000000000000000")}),
              QStringLiteral("overflow"));
    EXPECT_FALSE(decimalFromText(QStringLiteral("1e308")).has_value());
}

TEST(DecimalTest, ProductsRoundHalfAwayFromZeroAtTheCent)
{
    const auto product = [](const char* a, const char* b) {
        const auto x = decimalFromText(QString::fromUtf8(a));
        const auto y = decimalFromText(QString::fromUtf8(b));
        const auto p = multiplyDecimals(*x, *y);
        return p ? decimalToText(roundDecimal(*p, 2)) : QStringLiteral("overflow");
    };
    EXPECT_EQ(product("3", "1.115"), QStringLiteral("3.35"));
    EXPECT_EQ(product("6901234567890", "3.5"), QStringLiteral("24154320987615"));
    EXPECT_EQ(product("-0.005", "1"), QStringLiteral("-0.01"));
    EXPECT_EQ(product("0.3333", "0.5"), QStringLiteral("0.17"));
    EXPECT_EQ(product("-0.001", "1"), QStringLiteral("0"));
    EXPECT_EQ(product("9000000000", "9000000000"), QStringLiteral("overflow"));
}

} // namespace
} // namespace quorrel::test
