// Number, money, date and GBK conversions: the texts these produce end up on receipts and in the
// stored sales, so every rounding and cutting rule is pinned down with exact values.

#include "core/store/Conversions.h"
#include "core/store/DateTexts.h"
#include "core/store/Gbk.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cmath>
#include <limits>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace quorrel {
namespace {

using namespace Qt::StringLiterals;

QDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// ---- half-width forms ---------------------------------------------------------------------------

TEST(ConversionsHalfWidth, FullWidthAsciiFormsAndIdeographicBlankBecomeSingleByte)
{
    EXPECT_EQ(ToHalfWidth(u"１２．５"_s), u"12.5"_s);
    EXPECT_EQ(ToHalfWidth(u"０１２３４５６７８９"_s), u"0123456789"_s);
    EXPECT_EQ(ToHalfWidth(u"－＋ｅＥ，"_s), u"-+eE,"_s);
    EXPECT_EQ(ToHalfWidth(u"ＡｂＣ！～"_s), u"AbC!~"_s); // both ends of the full-width block
    EXPECT_EQ(ToHalfWidth(u"　７"_s), u" 7"_s);
    // Chinese text and ordinary ASCII stay as they are.
    EXPECT_EQ(ToHalfWidth(u"可口可乐 500ml"_s), u"可口可乐 500ml"_s);
    EXPECT_EQ(ToHalfWidth(u"元．角"_s), u"元.角"_s);
    EXPECT_EQ(ToHalfWidth(QString()), QString());
}

// ---- text to number -----------------------------------------------------------------------------

TEST(ConversionsTextToNumber, TakesTheLeadingDecimalNumber)
{
    EXPECT_EQ(TextToNumber(u"12.5"_s), 12.5);
    EXPECT_EQ(TextToNumber(u"12"_s), 12.0);
    EXPECT_EQ(TextToNumber(u"0.1"_s), 0.1); // correctly rounded, like the C library
    EXPECT_EQ(TextToNumber(u"3.345"_s), 3.345);
    EXPECT_EQ(TextToNumber(u"12.50元"_s), 12.5);
    EXPECT_EQ(TextToNumber(u"12abc"_s), 12.0);
    EXPECT_EQ(TextToNumber(u"12 34"_s), 12.0);
    EXPECT_EQ(TextToNumber(u"12.34.56"_s), 12.34);
    EXPECT_EQ(TextToNumber(u"1,234"_s), 1.0);
    EXPECT_EQ(TextToNumber(u".5"_s), 0.5);
    EXPECT_EQ(TextToNumber(u"5."_s), 5.0);
    EXPECT_EQ(TextToNumber(u"0000000000042"_s), 42.0);
    EXPECT_EQ(TextToNumber(u"1000000000999"_s), 1000000000999.0);
}

TEST(ConversionsTextToNumber, SkipsLeadingBlanksAndReadsTheSign)
{
    EXPECT_EQ(TextToNumber(u"   12.5"_s), 12.5);
    EXPECT_EQ(TextToNumber(u"\t\n 7"_s), 7.0);
    EXPECT_EQ(TextToNumber(u"　８"_s), 8.0); // ideographic blank
    EXPECT_EQ(TextToNumber(u"-3"_s), -3.0);
    EXPECT_EQ(TextToNumber(u"  -1.5"_s), -1.5);
    EXPECT_EQ(TextToNumber(u"+4.25"_s), 4.25);
    EXPECT_EQ(TextToNumber(u"-.5"_s), -0.5);
    EXPECT_EQ(TextToNumber(u"－３"_s), -3.0);
    // A blank between sign and digits ends the number.
    EXPECT_EQ(TextToNumber(u"- 3"_s), 0.0);
}

TEST(ConversionsTextToNumber, FullWidthDigitsAndPointAreRead)
{
    EXPECT_EQ(TextToNumber(u"１２．５"_s), 12.5);
    EXPECT_EQ(TextToNumber(u"１２.5"_s), 12.5);
    EXPECT_EQ(TextToNumber(u"12．５0"_s), 12.5);
    EXPECT_EQ(TextToNumber(u"１２３４５６７８９０"_s), 1234567890.0);
}

TEST(ConversionsTextToNumber, TextsWithoutANumberAreZero)
{
    for (const QString& text :
         {QString(), u""_s, u"   "_s, u"abc"_s, u"-"_s, u"+"_s, u"."_s, u"-."_s, u"+."_s, u"--5"_s, u"+-5"_s, u"-abc"_s,
          u"e5"_s, u"¥12"_s, u"单价"_s, u"inf"_s, u"nan"_s, u"Infinity"_s}) {
        const double value = TextToNumber(text);
        EXPECT_EQ(value, 0.0) << text.toStdString();
        EXPECT_FALSE(std::signbit(value)) << text.toStdString();
    }
    // Only decimal numbers: no hexadecimal as strtod would read it.
    EXPECT_EQ(TextToNumber(u"0x1A"_s), 0.0);
}

TEST(ConversionsTextToNumber, ReadsExponentForms)
{
    EXPECT_EQ(TextToNumber(u"1e3"_s), 1000.0);
    EXPECT_EQ(TextToNumber(u"1.5E2"_s), 150.0);
    EXPECT_EQ(TextToNumber(u"2e-3"_s), 0.002);
    EXPECT_EQ(TextToNumber(u"2e+3"_s), 2000.0);
    EXPECT_EQ(TextToNumber(u"1e-05"_s), 1e-05);
    EXPECT_EQ(TextToNumber(u"-1.25e1x"_s), -12.5);
    EXPECT_EQ(TextToNumber(u".5e1"_s), 5.0);
    EXPECT_EQ(TextToNumber(u"１ｅ３"_s), 1000.0);
    // An "e" without digits is not part of the number.
    EXPECT_EQ(TextToNumber(u"1e"_s), 1.0);
    EXPECT_EQ(TextToNumber(u"1e+"_s), 1.0);
    EXPECT_EQ(TextToNumber(u"7e-x"_s), 7.0);
    EXPECT_EQ(TextToNumber(u"3 e2"_s), 3.0);
    // Out of range: infinity for too large, zero (not minus zero) for too small.
    EXPECT_EQ(TextToNumber(u"1e400"_s), std::numeric_limits<double>::infinity());
    EXPECT_EQ(TextToNumber(u"-1e400"_s), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(TextToNumber(u"1e-400"_s), 0.0);
    EXPECT_EQ(TextToNumber(u"-1e-400"_s), 0.0);
}

TEST(ConversionsTextToNumber, SinglePrecisionRoundsToFloat)
{
    EXPECT_EQ(TextToSingle(u"0.1"_s), 0.1f);
    EXPECT_EQ(TextToSingle(u"１．１"_s), 1.1f);
    EXPECT_EQ(TextToSingle(u"abc"_s), 0.0f);
    EXPECT_EQ(TextToSingle(u"16777217"_s), 16777216.0f);
    // The single-precision value shows when it is written with thirteen digits.
    EXPECT_EQ(DoubleToText(TextToSingle(u"0.1"_s)), u"0.1000000014901"_s);
    EXPECT_EQ(DoubleToText(TextToNumber(u"0.1"_s)), u"0.1"_s);
}

TEST(ConversionsTextToWhole, TakesTheDigitsBeforeThePoint)
{
    EXPECT_EQ(TextToWhole(u"3.50"_s), 3);
    EXPECT_EQ(TextToWhole(u"3.99"_s), 3);
    EXPECT_EQ(TextToWhole(u"-2.5"_s), -2);
    EXPECT_EQ(TextToWhole(u"  42"_s), 42);
    EXPECT_EQ(TextToWhole(u"+7"_s), 7);
    EXPECT_EQ(TextToWhole(u"12abc"_s), 12);
    EXPECT_EQ(TextToWhole(u"1e3"_s), 1);
    EXPECT_EQ(TextToWhole(u"１２"_s), 12);
    EXPECT_EQ(TextToWhole(u"　１２．９"_s), 12);
    EXPECT_EQ(TextToWhole(u"0000042"_s), 42);
    EXPECT_EQ(TextToWhole(u"9999999999"_s), Q_INT64_C(9999999999)); // beyond 32 bits
    for (const QString& text : {QString(), u"abc"_s, u".9"_s, u"-"_s, u"-0"_s, u"单号"_s})
        EXPECT_EQ(TextToWhole(text), 0) << text.toStdString();
}

// ---- number to text -----------------------------------------------------------------------------

TEST(ConversionsDoubleToText, ShortestFormWithThirteenSignificantDigits)
{
    EXPECT_EQ(DoubleToText(12.5), u"12.5"_s);
    EXPECT_EQ(DoubleToText(3.0), u"3"_s);
    EXPECT_EQ(DoubleToText(100.0), u"100"_s);
    EXPECT_EQ(DoubleToText(0.1 + 0.2), u"0.3"_s);
    EXPECT_EQ(DoubleToText(1.115 * 3), u"3.345"_s); // 3.3449999999999998 in binary
    EXPECT_EQ(DoubleToText(2.0 / 3.0), u"0.6666666666667"_s);
    EXPECT_EQ(DoubleToText(0.0001), u"0.0001"_s);
    EXPECT_EQ(DoubleToText(1e-05), u"1e-05"_s);
    EXPECT_EQ(DoubleToText(1234567890123.0), u"1234567890123"_s);
    EXPECT_EQ(DoubleToText(2000000000000.0), u"2000000000000"_s);
    EXPECT_EQ(DoubleToText(12345678901234.0), u"1.234567890123e+13"_s);
    EXPECT_EQ(DoubleToText(1e13), u"1e+13"_s);
    EXPECT_EQ(DoubleToText(1e15), u"1e+15"_s);
    EXPECT_EQ(DoubleToText(1e16 + 1), u"1e+16"_s);
    EXPECT_EQ(DoubleToText(std::numeric_limits<double>::infinity()), u"inf"_s);
}

TEST(ConversionsDoubleToText, NegativeValuesAndMinusZero)
{
    EXPECT_EQ(DoubleToText(-1.5), u"-1.5"_s);
    EXPECT_EQ(DoubleToText(-3.0), u"-3"_s);
    EXPECT_EQ(DoubleToText(-1e-05), u"-1e-05"_s);
    EXPECT_EQ(DoubleToText(-(0.1 + 0.2)), u"-0.3"_s);
    EXPECT_EQ(DoubleToText(0.0), u"0"_s);
    EXPECT_EQ(DoubleToText(-0.0), u"0"_s);
    const double paid = 1.5;
    EXPECT_EQ(DoubleToText(-(paid - 1.5)), u"0"_s); // a change of minus nothing
    EXPECT_EQ(DoubleToText(0.0 * -3.0), u"0"_s);
}

TEST(ConversionsRoundToText, RoundsHalfAwayFromZeroWithTolerance)
{
    EXPECT_EQ(RoundToText(2.675, 2), u"2.68"_s); // 267.49999999999997 before the tolerance
    EXPECT_EQ(RoundToText(0.125, 2), u"0.13"_s);
    EXPECT_EQ(RoundToText(4.5, 2), u"4.5"_s);
    EXPECT_EQ(RoundToText(1.005, 2), u"1.01"_s);
    EXPECT_EQ(RoundToText(3.345, 2), u"3.35"_s);
    EXPECT_EQ(RoundToText(1.115 * 3, 2), u"3.35"_s);
    EXPECT_EQ(RoundToText(1.115 * 3, 1), u"3.3"_s);
    EXPECT_EQ(RoundToText(0.285, 2), u"0.29"_s);
    EXPECT_EQ(RoundToText(8.325, 2), u"8.33"_s);
    EXPECT_EQ(RoundToText(0.045, 2), u"0.05"_s);
    EXPECT_EQ(RoundToText(123456.785, 2), u"123456.79"_s);
    EXPECT_EQ(RoundToText(12.0, 2), u"12"_s);
    EXPECT_EQ(RoundToText(0.1 + 0.2, 2), u"0.3"_s);
    EXPECT_EQ(RoundToText(2.0 / 3.0, 3), u"0.667"_s);
    EXPECT_EQ(RoundToText(1.25, 1), u"1.3"_s);
    EXPECT_EQ(RoundToText(2.5, 0), u"3"_s);
    EXPECT_EQ(RoundToText(0.5, 0), u"1"_s);
    EXPECT_EQ(RoundToText(0.49, 0), u"0"_s);
    EXPECT_EQ(RoundToText(0.0, 2), u"0"_s);
    // The tolerance is 1e-12 on the scaled magnitude, no more.
    EXPECT_EQ(RoundToText(2.4999999999995, 0), u"3"_s);
    EXPECT_EQ(RoundToText(2.499999999998, 0), u"2"_s);
    EXPECT_EQ(RoundToText(1.4999999999, 0), u"1"_s);
}

TEST(ConversionsRoundToText, NegativeValuesMirrorPositiveOnesAndMinusZeroIsZero)
{
    EXPECT_EQ(RoundToText(-2.675, 2), u"-2.68"_s);
    EXPECT_EQ(RoundToText(-1.005, 2), u"-1.01"_s);
    EXPECT_EQ(RoundToText(-0.125, 2), u"-0.13"_s);
    EXPECT_EQ(RoundToText(-2.5, 0), u"-3"_s);
    EXPECT_EQ(RoundToText(-1.5, 2), u"-1.5"_s);
    EXPECT_EQ(RoundToText(-0.001, 2), u"0"_s);
    EXPECT_EQ(RoundToText(-0.004999, 2), u"0"_s);
    EXPECT_EQ(RoundToText(-0.005, 2), u"-0.01"_s);
    EXPECT_EQ(RoundToText(-0.0, 2), u"0"_s);
}

// ---- money text ---------------------------------------------------------------------------------

TEST(ConversionsFormatMoney, AppendsOrCutsToTwoDecimalsWithoutRounding)
{
    EXPECT_EQ(FormatMoney(u"12"_s), u"12.00"_s);
    EXPECT_EQ(FormatMoney(u"0"_s), u"0.00"_s);
    EXPECT_EQ(FormatMoney(u"12.5"_s), u"12.50"_s);
    EXPECT_EQ(FormatMoney(u"3.5"_s), u"3.50"_s);
    EXPECT_EQ(FormatMoney(u"12.34"_s), u"12.34"_s);
    EXPECT_EQ(FormatMoney(u"12.345"_s), u"12.34"_s);
    EXPECT_EQ(FormatMoney(u"3.14159"_s), u"3.14"_s);
    EXPECT_EQ(FormatMoney(u"7.999"_s), u"7.99"_s); // cut, never 8.00
    EXPECT_EQ(FormatMoney(u"0.005"_s), u"0.00"_s);
    EXPECT_EQ(FormatMoney(u"-1.5"_s), u"-1.50"_s);
    EXPECT_EQ(FormatMoney(u"-7.999"_s), u"-7.99"_s);
    EXPECT_EQ(FormatMoney(u".5"_s), u".50"_s);
    EXPECT_EQ(FormatMoney(u"12."_s), u"12."_s); // a text ending in the point comes back unchanged
    EXPECT_EQ(FormatMoney(u"1e-05"_s), u"1e-05.00"_s);
    EXPECT_EQ(FormatMoney(u"1.5e-05"_s), u"1.5e"_s);
    EXPECT_EQ(FormatMoney(u"1.2.3"_s), u"1.2."_s); // the first point counts
    EXPECT_EQ(FormatMoney(QString()), u".00"_s);
}

TEST(ConversionsFormatMoney, OfNumbersWrittenAsText)
{
    // The way totals reach the money text: number → "%.13g" text → two decimals.
    EXPECT_EQ(FormatMoney(DoubleToText(0.0)), u"0.00"_s);
    EXPECT_EQ(FormatMoney(DoubleToText(-0.0)), u"0.00"_s);
    EXPECT_EQ(FormatMoney(DoubleToText(-1.5)), u"-1.50"_s);
    EXPECT_EQ(FormatMoney(DoubleToText(1e-05)), u"1e-05.00"_s);
    EXPECT_EQ(FormatMoney(DoubleToText(0.1 + 0.2)), u"0.30"_s);
    EXPECT_EQ(FormatMoney(DoubleToText(1.115 * 3)), u"3.34"_s);
    EXPECT_EQ(FormatMoney(RoundToText(1.115 * 3, 2)), u"3.35"_s);
    EXPECT_EQ(FormatMoney(RoundToText(2.675, 2)), u"2.68"_s);
    EXPECT_EQ(FormatMoney(RoundToText(4.5, 2)), u"4.50"_s);
    EXPECT_EQ(FormatMoney(DoubleToText(TextToNumber(u"１２．５"_s) * 2)), u"25.00"_s);
}

// ---- date and time texts ------------------------------------------------------------------------

TEST(ConversionsDateTexts, ClockFormHasTwoBlanksAndPaddedParts)
{
    EXPECT_EQ(DateTimeText(At(2016, 8, 24, 9, 5, 7)), u"2016-08-24  09:05:07"_s);
    EXPECT_EQ(DateTimeText(At(2016, 12, 31, 23, 59, 59)), u"2016-12-31  23:59:59"_s);
    EXPECT_EQ(DateTimeText(At(2000, 1, 1)), u"2000-01-01  00:00:00"_s);
}

TEST(ConversionsDateTexts, StoredFormHasOneBlankAndSortsAsText)
{
    EXPECT_EQ(CanonicalDateTimeText(At(2016, 8, 24, 9, 5, 7)), u"2016-08-24 09:05:07"_s);
    EXPECT_EQ(CanonicalDateTimeText(At(2016, 1, 2, 3, 4, 5)), u"2016-01-02 03:04:05"_s);
    // Fixed width with padding: text order is time order.
    EXPECT_LT(CanonicalDateTimeText(At(2016, 8, 9, 23, 59, 59)), CanonicalDateTimeText(At(2016, 8, 10)));
    EXPECT_LT(CanonicalDateTimeText(At(2016, 9, 30, 9)), CanonicalDateTimeText(At(2016, 10, 1, 10)));
}

TEST(ConversionsDateTexts, ParsesStoredAndClockForms)
{
    const QDateTime moment = At(2016, 8, 24, 9, 5, 7);
    EXPECT_EQ(ParseStoredDateTime(u"2016-08-24 09:05:07"_s), moment);
    EXPECT_EQ(ParseStoredDateTime(CanonicalDateTimeText(moment)), moment);
    EXPECT_EQ(ParseStoredDateTime(DateTimeText(moment)), moment);
    EXPECT_EQ(ParseStoredDateTime(u"2016-8-24 9:05:07"_s), moment);
    EXPECT_EQ(ParseStoredDateTime(u"2016/08/24"_s), At(2016, 8, 24));
    EXPECT_EQ(ParseStoredDateTime(u"2016-08-24 09:05"_s), At(2016, 8, 24, 9, 5));
    for (const QString& text : {QString(), u"abc"_s, u"16-08-24"_s, u"2016-02-30 00:00:00"_s, u"2016-13-01 00:00:00"_s,
                                u"2016-08-24 24:00:00"_s, u"2016-08-24 09:60:00"_s})
        EXPECT_FALSE(ParseStoredDateTime(text).isValid()) << text.toStdString();
}

TEST(ConversionsDateTexts, LongFormStopsAtTheLastNonZeroPart)
{
    EXPECT_EQ(LongDateTimeText(At(2016, 8, 24, 9, 5, 7)), u"2016年8月24日9时5分7秒"_s);
    EXPECT_EQ(LongDateTimeText(At(2016, 8, 24, 9, 5, 0)), u"2016年8月24日9时5分"_s);
    EXPECT_EQ(LongDateTimeText(At(2016, 8, 24, 9, 0, 0)), u"2016年8月24日9时"_s);
    EXPECT_EQ(LongDateTimeText(At(2016, 8, 24, 0, 0, 0)), u"2016年8月24日"_s);
    EXPECT_EQ(LongDateTimeText(At(2016, 8, 24, 0, 5, 0)), u"2016年8月24日0时5分"_s);
    EXPECT_EQ(LongDateTimeText(At(2016, 8, 24, 0, 0, 7)), u"2016年8月24日0时0分7秒"_s);
    EXPECT_EQ(LongDateTimeText(At(2016, 12, 1, 23, 59, 59)), u"2016年12月1日23时59分59秒"_s);
}

TEST(ConversionsDateTexts, DatePrefixIsTwoDigitsEachOfYearMonthDay)
{
    EXPECT_EQ(DatePrefix(QDate(2016, 8, 24)), u"160824"_s);
    EXPECT_EQ(DatePrefix(QDate(2016, 8, 20)), u"160820"_s);
    EXPECT_EQ(DatePrefix(QDate(2016, 9, 1)), u"160901"_s);
    EXPECT_EQ(DatePrefix(QDate(2000, 1, 5)), u"000105"_s);
    EXPECT_EQ(DatePrefix(QDate(2009, 12, 31)), u"091231"_s);
    EXPECT_EQ(DatePrefix(QDate(1999, 10, 30)), u"991030"_s);
}

// ---- GBK and the password digest ----------------------------------------------------------------

TEST(ConversionsGbk, ConvertsToAndFromGbkBytes)
{
    EXPECT_EQ(ToGbk(QString()), QByteArray());
    EXPECT_EQ(ToGbk(u"abc"_s), QByteArray("abc"));
    EXPECT_EQ(ToGbk(u"密码"_s), QByteArray("\xc3\xdc\xc2\xeb"));
    EXPECT_EQ(ToGbk(u"收银123"_s), QByteArray("\xca\xd5\xd2\xf8"
                                              "123"));
    EXPECT_EQ(ToGbk(u"ｅ·"_s), QByteArray("\xa3\xe5\xa1\xa4"));
    EXPECT_EQ(FromGbk(QByteArray("\xc3\xdc\xc2\xeb")), u"密码"_s);
    EXPECT_EQ(FromGbk(QByteArray()), QString());
    const QString mixed = u"可口可乐 500ml ×2，单价３．５元"_s;
    EXPECT_EQ(FromGbk(ToGbk(mixed)), mixed);
}

TEST(ConversionsGbk, CharactersOutsideGbkBecomeOneQuestionMark)
{
    const QString face = QString::fromUcs4(U"a\U0001F600b"); // a surrogate pair in the middle
    EXPECT_EQ(ToGbk(face), QByteArray("a?b"));
    EXPECT_EQ(GbkLength(face), 3);
    // Bytes that are no GBK come back as "?" and the rest is kept.
    EXPECT_EQ(FromGbk(QByteArray("a\xff"
                                 "b")),
              u"a?b"_s);
    EXPECT_EQ(FromGbk(QByteArray("ab\x81")), u"ab?"_s); // a lead byte cut off at the end
}

TEST(ConversionsGbk, LengthCountsTwoBytesPerChineseCharacter)
{
    EXPECT_EQ(GbkLength(QString()), 0);
    EXPECT_EQ(GbkLength(u"abc"_s), 3);
    EXPECT_EQ(GbkLength(u"密码"_s), 4);
    EXPECT_EQ(GbkLength(u"收银123"_s), 7);
    EXPECT_EQ(GbkLength(u"１２．５"_s), 8); // full-width forms are double-byte
    EXPECT_EQ(GbkLength(u"谢谢惠顾，欢迎再次光临！"_s), 24);
}

TEST(ConversionsGbk, CharactersInBytesNeverSplitACharacter)
{
    const QString text = u"收银123"_s;
    EXPECT_EQ(CharactersInGbkBytes(text, 0), 0);
    EXPECT_EQ(CharactersInGbkBytes(text, 1), 0);
    EXPECT_EQ(CharactersInGbkBytes(text, 2), 1);
    EXPECT_EQ(CharactersInGbkBytes(text, 3), 1);
    EXPECT_EQ(CharactersInGbkBytes(text, 4), 2);
    EXPECT_EQ(CharactersInGbkBytes(text, 5), 3);
    EXPECT_EQ(CharactersInGbkBytes(text, 7), 5);
    EXPECT_EQ(CharactersInGbkBytes(text, 100), 5);
    EXPECT_EQ(CharactersInGbkBytes(text, -1), 0);
    EXPECT_EQ(CharactersInGbkBytes(u"a密b"_s, 2), 1);
    EXPECT_EQ(CharactersInGbkBytes(QString(), 10), 0);
    // Whatever the count, the cut text never takes more bytes than allowed.
    for (int bytes = 0; bytes <= 8; ++bytes)
        EXPECT_LE(GbkLength(text.left(CharactersInGbkBytes(text, bytes))), bytes);

    // A character outside the basic plane is two UTF-16 units and one "?" byte: taken whole or not at all.
    const QString face = QString::fromUcs4(U"\U0001F600x");
    EXPECT_EQ(CharactersInGbkBytes(face, 0), 0);
    EXPECT_EQ(CharactersInGbkBytes(face, 1), 2);
    EXPECT_EQ(CharactersInGbkBytes(face, 2), 3);
}

TEST(ConversionsGbk, PasswordDigestIsMd5OfTheGbkBytes)
{
    EXPECT_EQ(PasswordDigest(QString()), u"d41d8cd98f00b204e9800998ecf8427e"_s);
    EXPECT_EQ(PasswordDigest(u""_s), u"d41d8cd98f00b204e9800998ecf8427e"_s);
    EXPECT_EQ(PasswordDigest(u"abc"_s), u"900150983cd24fb0d6963f7d28e17f72"_s);
    EXPECT_EQ(PasswordDigest(u"密码"_s), u"d2293e30f0c964c5f6242486aa8a483c"_s);
    EXPECT_EQ(PasswordDigest(u"收银123"_s), u"07e61c83621898b110e40cd1b4748b1b"_s);
    // Not the digest of the UTF-8 bytes, and always 32 lowercase hexadecimal characters.
    EXPECT_NE(PasswordDigest(u"密码"_s),
              QString::fromLatin1(QCryptographicHash::hash(u"密码"_s.toUtf8(), QCryptographicHash::Md5).toHex()));
    for (const QString& password : {u"Abc"_s, u"收银员"_s, u"P@ss word!"_s}) {
        const QString digest = PasswordDigest(password);
        EXPECT_EQ(digest.size(), 32);
        EXPECT_EQ(digest, digest.toLower());
    }
}

} // namespace
} // namespace quorrel
