// Number, money, date and GBK conversions: the texts these produce end up on receipts and in the
// stored sales, so every rounding and cutting rule is pinned down with exact values.

#include "core/store/Conversions.h"
#include "core/store/DateTexts.h"
#include "core/store/Gbk.h"
#include "support/PrintTo.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cmath>
#include <limits>

namespace quorrel {
namespace {

using namespace Qt::StringLiterals;

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// ---- half-width forms ---------------------------------------------------------------------------

TEST(ConversionsHalfWidth, FullWidthAsciiFormsAndIdeographicBlankBecomeSingleByte)
{
    EXPECT_EQ(toHalfWidth(u"１２．５"_s), u"12.5"_s);
    EXPECT_EQ(toHalfWidth(u"０１２３４５６７８９"_s), u"0123456789"_s);
    EXPECT_EQ(toHalfWidth(u"－＋ｅＥ，"_s), u"-+eE,"_s);
    EXPECT_EQ(toHalfWidth(u"ＡｂＣ！～"_s), u"AbC!~"_s); // both ends of the full-width block
    EXPECT_EQ(toHalfWidth(u"　７"_s), u" 7"_s);
    // Chinese text and ordinary ASCII stay as they are.
    EXPECT_EQ(toHalfWidth(u"可口可乐 500ml"_s), u"可口可乐 500ml"_s);
    EXPECT_EQ(toHalfWidth(u"元．角"_s), u"元.角"_s);
    EXPECT_EQ(toHalfWidth(QString()), QString());
}

// ---- text to number -----------------------------------------------------------------------------

TEST(ConversionsTextToNumber, TakesTheLeadingDecimalNumber)
{
    EXPECT_EQ(textToNumber(u"12.5"_s), 12.5);
    EXPECT_EQ(textToNumber(u"12"_s), 12.0);
    EXPECT_EQ(textToNumber(u"0.1"_s), 0.1); // correctly rounded, like the C library
    EXPECT_EQ(textToNumber(u"3.345"_s), 3.345);
    EXPECT_EQ(textToNumber(u"12.50元"_s), 12.5);
    EXPECT_EQ(textToNumber(u"12abc"_s), 12.0);
    EXPECT_EQ(textToNumber(u"12 34"_s), 12.0);
    EXPECT_EQ(textToNumber(u"12.34.56"_s), 12.34);
    EXPECT_EQ(textToNumber(u"1,234"_s), 1.0);
    EXPECT_EQ(textToNumber(u".5"_s), 0.5);
    EXPECT_EQ(textToNumber(u"5."_s), 5.0);
    EXPECT_EQ(textToNumber(u"0000000000042"_s), 42.0);
    EXPECT_EQ(textToNumber(u"1000000000999"_s), 1000000000999.0);
}

TEST(ConversionsTextToNumber, SkipsLeadingBlanksAndReadsTheSign)
{
    EXPECT_EQ(textToNumber(u"   12.5"_s), 12.5);
    EXPECT_EQ(textToNumber(u"\t\n 7"_s), 7.0);
    EXPECT_EQ(textToNumber(u"　８"_s), 8.0); // ideographic blank
    EXPECT_EQ(textToNumber(u"-3"_s), -3.0);
    EXPECT_EQ(textToNumber(u"  -1.5"_s), -1.5);
    EXPECT_EQ(textToNumber(u"+4.25"_s), 4.25);
    EXPECT_EQ(textToNumber(u"-.5"_s), -0.5);
    EXPECT_EQ(textToNumber(u"－３"_s), -3.0);
    // A blank between sign and digits ends the number.
    EXPECT_EQ(textToNumber(u"- 3"_s), 0.0);
}

TEST(ConversionsTextToNumber, FullWidthDigitsAndPointAreRead)
{
    EXPECT_EQ(textToNumber(u"１２．５"_s), 12.5);
    EXPECT_EQ(textToNumber(u"１２.5"_s), 12.5);
    EXPECT_EQ(textToNumber(u"12．５0"_s), 12.5);
    EXPECT_EQ(textToNumber(u"１２３４５６７８９０"_s), 1234567890.0);
}

TEST(ConversionsTextToNumber, TextsWithoutANumberAreZero)
{
    for (const QString& text :
         {QString(), u""_s, u"   "_s, u"abc"_s, u"-"_s, u"+"_s, u"."_s, u"-."_s, u"+."_s, u"--5"_s, u"+-5"_s, u"-abc"_s,
          u"e5"_s, u"¥12"_s, u"单价"_s, u"inf"_s, u"nan"_s, u"Infinity"_s}) {
        const double value = textToNumber(text);
        EXPECT_EQ(value, 0.0) << text.toStdString();
        EXPECT_FALSE(std::signbit(value)) << text.toStdString();
    }
    // Only decimal numbers: no hexadecimal as strtod would read it.
    EXPECT_EQ(textToNumber(u"0x1A"_s), 0.0);
}

TEST(ConversionsTextToNumber, ReadsExponentForms)
{
    EXPECT_EQ(textToNumber(u"1e3"_s), 1000.0);
    EXPECT_EQ(textToNumber(u"1.5E2"_s), 150.0);
    EXPECT_EQ(textToNumber(u"2e-3"_s), 0.002);
    EXPECT_EQ(textToNumber(u"2e+3"_s), 2000.0);
    EXPECT_EQ(textToNumber(u"1e-05"_s), 1e-05);
    EXPECT_EQ(textToNumber(u"-1.25e1x"_s), -12.5);
    EXPECT_EQ(textToNumber(u".5e1"_s), 5.0);
    EXPECT_EQ(textToNumber(u"１ｅ３"_s), 1000.0);
    // An "e" without digits is not part of the number.
    EXPECT_EQ(textToNumber(u"1e"_s), 1.0);
    EXPECT_EQ(textToNumber(u"1e+"_s), 1.0);
    EXPECT_EQ(textToNumber(u"7e-x"_s), 7.0);
    EXPECT_EQ(textToNumber(u"3 e2"_s), 3.0);
    // Out of range: infinity for too large, zero (not minus zero) for too small.
    EXPECT_EQ(textToNumber(u"1e400"_s), std::numeric_limits<double>::infinity());
    EXPECT_EQ(textToNumber(u"-1e400"_s), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(textToNumber(u"1e-400"_s), 0.0);
    EXPECT_EQ(textToNumber(u"-1e-400"_s), 0.0);
}

TEST(ConversionsTextToNumber, SinglePrecisionRoundsToFloat)
{
    EXPECT_EQ(textToSingle(u"0.1"_s), 0.1f);
    EXPECT_EQ(textToSingle(u"１．１"_s), 1.1f);
    EXPECT_EQ(textToSingle(u"abc"_s), 0.0f);
    EXPECT_EQ(textToSingle(u"16777217"_s), 16777216.0f);
    // The single-precision value shows when it is written with thirteen digits.
    EXPECT_EQ(doubleToText(textToSingle(u"0.1"_s)), u"0.1000000014901"_s);
    EXPECT_EQ(doubleToText(textToNumber(u"0.1"_s)), u"0.1"_s);
}

TEST(ConversionsTextToWhole, TakesTheDigitsBeforeThePoint)
{
    EXPECT_EQ(textToWhole(u"3.50"_s), 3);
    EXPECT_EQ(textToWhole(u"3.99"_s), 3);
    EXPECT_EQ(textToWhole(u"-2.5"_s), -2);
    EXPECT_EQ(textToWhole(u"  42"_s), 42);
    EXPECT_EQ(textToWhole(u"+7"_s), 7);
    EXPECT_EQ(textToWhole(u"12abc"_s), 12);
    EXPECT_EQ(textToWhole(u"1e3"_s), 1);
    EXPECT_EQ(textToWhole(u"１２"_s), 12);
    EXPECT_EQ(textToWhole(u"　１２．９"_s), 12);
    EXPECT_EQ(textToWhole(u"0000042"_s), 42);
    EXPECT_EQ(textToWhole(u"9999999999"_s), Q_INT64_C(9999999999)); // beyond 32 bits
    for (const QString& text : {QString(), u"abc"_s, u".9"_s, u"-"_s, u"-0"_s, u"单号"_s})
        EXPECT_EQ(textToWhole(text), 0) << text.toStdString();
}

// ---- number to text -----------------------------------------------------------------------------

TEST(ConversionsDoubleToText, ShortestFormWithThirteenSignificantDigits)
{
    EXPECT_EQ(doubleToText(12.5), u"12.5"_s);
    EXPECT_EQ(doubleToText(3.0), u"3"_s);
    EXPECT_EQ(doubleToText(100.0), u"100"_s);
    EXPECT_EQ(doubleToText(0.1 + 0.2), u"0.3"_s);
    EXPECT_EQ(doubleToText(1.115 * 3), u"3.345"_s); // 3.3449999999999998 in binary
    EXPECT_EQ(doubleToText(2.0 / 3.0), u"0.6666666666667"_s);
    EXPECT_EQ(doubleToText(0.0001), u"0.0001"_s);
    EXPECT_EQ(doubleToText(1e-05), u"1e-05"_s);
    EXPECT_EQ(doubleToText(1234567890123.0), u"1234567890123"_s);
    EXPECT_EQ(doubleToText(2000000000000.0), u"2000000000000"_s);
    EXPECT_EQ(doubleToText(12345678901234.0), u"1.234567890123e+13"_s);
    EXPECT_EQ(doubleToText(1e13), u"1e+13"_s);
    EXPECT_EQ(doubleToText(1e15), u"1e+15"_s);
    EXPECT_EQ(doubleToText(1e16 + 1), u"1e+16"_s);
    EXPECT_EQ(doubleToText(std::numeric_limits<double>::infinity()), u"inf"_s);
}

TEST(ConversionsDoubleToText, NegativeValuesAndMinusZero)
{
    EXPECT_EQ(doubleToText(-1.5), u"-1.5"_s);
    EXPECT_EQ(doubleToText(-3.0), u"-3"_s);
    EXPECT_EQ(doubleToText(-1e-05), u"-1e-05"_s);
    EXPECT_EQ(doubleToText(-(0.1 + 0.2)), u"-0.3"_s);
    EXPECT_EQ(doubleToText(0.0), u"0"_s);
    EXPECT_EQ(doubleToText(-0.0), u"0"_s);
    const double paid = 1.5;
    EXPECT_EQ(doubleToText(-(paid - 1.5)), u"0"_s); // a change of minus nothing
    EXPECT_EQ(doubleToText(0.0 * -3.0), u"0"_s);
}

TEST(ConversionsRoundToText, RoundsHalfAwayFromZeroWithTolerance)
{
    EXPECT_EQ(roundToText(2.675, 2), u"2.68"_s); // 267.49999999999997 before the tolerance
    EXPECT_EQ(roundToText(0.125, 2), u"0.13"_s);
    EXPECT_EQ(roundToText(4.5, 2), u"4.5"_s);
    EXPECT_EQ(roundToText(1.005, 2), u"1.01"_s);
    EXPECT_EQ(roundToText(3.345, 2), u"3.35"_s);
    EXPECT_EQ(roundToText(1.115 * 3, 2), u"3.35"_s);
    EXPECT_EQ(roundToText(1.115 * 3, 1), u"3.3"_s);
    EXPECT_EQ(roundToText(0.285, 2), u"0.29"_s);
    EXPECT_EQ(roundToText(8.325, 2), u"8.33"_s);
    EXPECT_EQ(roundToText(0.045, 2), u"0.05"_s);
    EXPECT_EQ(roundToText(123456.785, 2), u"123456.79"_s);
    EXPECT_EQ(roundToText(12.0, 2), u"12"_s);
    EXPECT_EQ(roundToText(0.1 + 0.2, 2), u"0.3"_s);
    EXPECT_EQ(roundToText(2.0 / 3.0, 3), u"0.667"_s);
    EXPECT_EQ(roundToText(1.25, 1), u"1.3"_s);
    EXPECT_EQ(roundToText(2.5, 0), u"3"_s);
    EXPECT_EQ(roundToText(0.5, 0), u"1"_s);
    EXPECT_EQ(roundToText(0.49, 0), u"0"_s);
    EXPECT_EQ(roundToText(0.0, 2), u"0"_s);
    // The tolerance is 1e-12 on the scaled magnitude, no more.
    EXPECT_EQ(roundToText(2.4999999999995, 0), u"3"_s);
    EXPECT_EQ(roundToText(2.499999999998, 0), u"2"_s);
    EXPECT_EQ(roundToText(1.4999999999, 0), u"1"_s);
}

TEST(ConversionsRoundToText, NegativeValuesMirrorPositiveOnesAndMinusZeroIsZero)
{
    EXPECT_EQ(roundToText(-2.675, 2), u"-2.68"_s);
    EXPECT_EQ(roundToText(-1.005, 2), u"-1.01"_s);
    EXPECT_EQ(roundToText(-0.125, 2), u"-0.13"_s);
    EXPECT_EQ(roundToText(-2.5, 0), u"-3"_s);
    EXPECT_EQ(roundToText(-1.5, 2), u"-1.5"_s);
    EXPECT_EQ(roundToText(-0.001, 2), u"0"_s);
    EXPECT_EQ(roundToText(-0.004999, 2), u"0"_s);
    EXPECT_EQ(roundToText(-0.005, 2), u"-0.01"_s);
    EXPECT_EQ(roundToText(-0.0, 2), u"0"_s);
}

// ---- money text ---------------------------------------------------------------------------------

TEST(ConversionsFormatMoney, AppendsOrCutsToTwoDecimalsWithoutRounding)
{
    EXPECT_EQ(formatMoney(u"12"_s), u"12.00"_s);
    EXPECT_EQ(formatMoney(u"0"_s), u"0.00"_s);
    EXPECT_EQ(formatMoney(u"12.5"_s), u"12.50"_s);
    EXPECT_EQ(formatMoney(u"3.5"_s), u"3.50"_s);
    EXPECT_EQ(formatMoney(u"12.34"_s), u"12.34"_s);
    EXPECT_EQ(formatMoney(u"12.345"_s), u"12.34"_s);
    EXPECT_EQ(formatMoney(u"3.14159"_s), u"3.14"_s);
    EXPECT_EQ(formatMoney(u"7.999"_s), u"7.99"_s); // cut, never 8.00
    EXPECT_EQ(formatMoney(u"0.005"_s), u"0.00"_s);
    EXPECT_EQ(formatMoney(u"-1.5"_s), u"-1.50"_s);
    EXPECT_EQ(formatMoney(u"-7.999"_s), u"-7.99"_s);
    EXPECT_EQ(formatMoney(u".5"_s), u".50"_s);
    EXPECT_EQ(formatMoney(u"12."_s), u"12."_s); // a text ending in the point comes back unchanged
    EXPECT_EQ(formatMoney(u"1e-05"_s), u"1e-05.00"_s);
    EXPECT_EQ(formatMoney(u"1.5e-05"_s), u"1.5e"_s);
    EXPECT_EQ(formatMoney(u"1.2.3"_s), u"1.2."_s); // the first point counts
    EXPECT_EQ(formatMoney(QString()), u".00"_s);
}

TEST(ConversionsFormatMoney, OfNumbersWrittenAsText)
{
    // The way totals reach the money text: number → "%.13g" text → two decimals.
    EXPECT_EQ(formatMoney(doubleToText(0.0)), u"0.00"_s);
    EXPECT_EQ(formatMoney(doubleToText(-0.0)), u"0.00"_s);
    EXPECT_EQ(formatMoney(doubleToText(-1.5)), u"-1.50"_s);
    EXPECT_EQ(formatMoney(doubleToText(1e-05)), u"1e-05.00"_s);
    EXPECT_EQ(formatMoney(doubleToText(0.1 + 0.2)), u"0.30"_s);
    EXPECT_EQ(formatMoney(doubleToText(1.115 * 3)), u"3.34"_s);
    EXPECT_EQ(formatMoney(roundToText(1.115 * 3, 2)), u"3.35"_s);
    EXPECT_EQ(formatMoney(roundToText(2.675, 2)), u"2.68"_s);
    EXPECT_EQ(formatMoney(roundToText(4.5, 2)), u"4.50"_s);
    EXPECT_EQ(formatMoney(doubleToText(textToNumber(u"１２．５"_s) * 2)), u"25.00"_s);
}

// ---- date and time texts ------------------------------------------------------------------------

TEST(ConversionsDateTexts, ClockFormHasTwoBlanksAndPaddedParts)
{
    EXPECT_EQ(dateTimeText(at(2016, 8, 24, 9, 5, 7)), u"2016-08-24  09:05:07"_s);
    EXPECT_EQ(dateTimeText(at(2016, 12, 31, 23, 59, 59)), u"2016-12-31  23:59:59"_s);
    EXPECT_EQ(dateTimeText(at(2000, 1, 1)), u"2000-01-01  00:00:00"_s);
}

TEST(ConversionsDateTexts, StoredFormHasOneBlankAndSortsAsText)
{
    EXPECT_EQ(canonicalDateTimeText(at(2016, 8, 24, 9, 5, 7)), u"2016-08-24 09:05:07"_s);
    EXPECT_EQ(canonicalDateTimeText(at(2016, 1, 2, 3, 4, 5)), u"2016-01-02 03:04:05"_s);
    // Fixed width with padding: text order is time order.
    EXPECT_LT(canonicalDateTimeText(at(2016, 8, 9, 23, 59, 59)), canonicalDateTimeText(at(2016, 8, 10)));
    EXPECT_LT(canonicalDateTimeText(at(2016, 9, 30, 9)), canonicalDateTimeText(at(2016, 10, 1, 10)));
}

TEST(ConversionsDateTexts, ParsesStoredAndClockForms)
{
    const QDateTime moment = at(2016, 8, 24, 9, 5, 7);
    EXPECT_EQ(parseStoredDateTime(u"2016-08-24 09:05:07"_s), moment);
    EXPECT_EQ(parseStoredDateTime(canonicalDateTimeText(moment)), moment);
    EXPECT_EQ(parseStoredDateTime(dateTimeText(moment)), moment);
    EXPECT_EQ(parseStoredDateTime(u"2016-8-24 9:05:07"_s), moment);
    EXPECT_EQ(parseStoredDateTime(u"2016/08/24"_s), at(2016, 8, 24));
    EXPECT_EQ(parseStoredDateTime(u"2016-08-24 09:05"_s), at(2016, 8, 24, 9, 5));
    for (const QString& text : {QString(), u"abc"_s, u"16-08-24"_s, u"2016-02-30 00:00:00"_s, u"2016-13-01 00:00:00"_s,
                                u"2016-08-24 24:00:00"_s, u"2016-08-24 09:60:00"_s})
        EXPECT_FALSE(parseStoredDateTime(text).isValid()) << text.toStdString();
}

TEST(ConversionsDateTexts, LongFormStopsAtTheLastNonZeroPart)
{
    EXPECT_EQ(longDateTimeText(at(2016, 8, 24, 9, 5, 7)), u"2016年8月24日9时5分7秒"_s);
    EXPECT_EQ(longDateTimeText(at(2016, 8, 24, 9, 5, 0)), u"2016年8月24日9时5分"_s);
    EXPECT_EQ(longDateTimeText(at(2016, 8, 24, 9, 0, 0)), u"2016年8月24日9时"_s);
    EXPECT_EQ(longDateTimeText(at(2016, 8, 24, 0, 0, 0)), u"2016年8月24日"_s);
    EXPECT_EQ(longDateTimeText(at(2016, 8, 24, 0, 5, 0)), u"2016年8月24日0时5分"_s);
    EXPECT_EQ(longDateTimeText(at(2016, 8, 24, 0, 0, 7)), u"2016年8月24日0时0分7秒"_s);
    EXPECT_EQ(longDateTimeText(at(2016, 12, 1, 23, 59, 59)), u"2016年12月1日23时59分59秒"_s);
}

TEST(ConversionsDateTexts, DatePrefixIsTwoDigitsEachOfYearMonthDay)
{
    EXPECT_EQ(datePrefix(QDate(2016, 8, 24)), u"160824"_s);
    EXPECT_EQ(datePrefix(QDate(2016, 8, 20)), u"160820"_s);
    EXPECT_EQ(datePrefix(QDate(2016, 9, 1)), u"160901"_s);
    EXPECT_EQ(datePrefix(QDate(2000, 1, 5)), u"000105"_s);
    EXPECT_EQ(datePrefix(QDate(2009, 12, 31)), u"091231"_s);
    EXPECT_EQ(datePrefix(QDate(1999, 10, 30)), u"991030"_s);
}

// ---- GBK and the password digest ----------------------------------------------------------------

TEST(ConversionsGbk, ConvertsToAndFromGbkBytes)
{
    EXPECT_EQ(toGbk(QString()), QByteArray());
    EXPECT_EQ(toGbk(u"abc"_s), QByteArray("abc"));
    EXPECT_EQ(toGbk(u"密码"_s), QByteArray("\xc3\xdc\xc2\xeb"));
    EXPECT_EQ(toGbk(u"收银123"_s), QByteArray("\xca\xd5\xd2\xf8"
                                              "123"));
    EXPECT_EQ(toGbk(u"ｅ·"_s), QByteArray("\xa3\xe5\xa1\xa4"));
    EXPECT_EQ(fromGbk(QByteArray("\xc3\xdc\xc2\xeb")), u"密码"_s);
    EXPECT_EQ(fromGbk(QByteArray()), QString());
    const QString mixed = u"可口可乐 500ml ×2，单价３．５元"_s;
    EXPECT_EQ(fromGbk(toGbk(mixed)), mixed);
}

TEST(ConversionsGbk, CharactersOutsideGbkBecomeOneQuestionMark)
{
    const QString face = QString::fromUcs4(U"a\U0001F600b"); // a surrogate pair in the middle
    EXPECT_EQ(toGbk(face), QByteArray("a?b"));
    EXPECT_EQ(gbkLength(face), 3);
    // Bytes that are no GBK come back as "?" and the rest is kept.
    EXPECT_EQ(fromGbk(QByteArray("a\xff"
                                 "b")),
              u"a?b"_s);
    EXPECT_EQ(fromGbk(QByteArray("ab\x81")), u"ab?"_s); // a lead byte cut off at the end
}

TEST(ConversionsGbk, LengthCountsTwoBytesPerChineseCharacter)
{
    EXPECT_EQ(gbkLength(QString()), 0);
    EXPECT_EQ(gbkLength(u"abc"_s), 3);
    EXPECT_EQ(gbkLength(u"密码"_s), 4);
    EXPECT_EQ(gbkLength(u"收银123"_s), 7);
    EXPECT_EQ(gbkLength(u"１２．５"_s), 8); // full-width forms are double-byte
    EXPECT_EQ(gbkLength(u"谢谢惠顾，欢迎再次光临！"_s), 24);
}

TEST(ConversionsGbk, CharactersInBytesNeverSplitACharacter)
{
    const QString text = u"收银123"_s;
    EXPECT_EQ(charactersInGbkBytes(text, 0), 0);
    EXPECT_EQ(charactersInGbkBytes(text, 1), 0);
    EXPECT_EQ(charactersInGbkBytes(text, 2), 1);
    EXPECT_EQ(charactersInGbkBytes(text, 3), 1);
    EXPECT_EQ(charactersInGbkBytes(text, 4), 2);
    EXPECT_EQ(charactersInGbkBytes(text, 5), 3);
    EXPECT_EQ(charactersInGbkBytes(text, 7), 5);
    EXPECT_EQ(charactersInGbkBytes(text, 100), 5);
    EXPECT_EQ(charactersInGbkBytes(text, -1), 0);
    EXPECT_EQ(charactersInGbkBytes(u"a密b"_s, 2), 1);
    EXPECT_EQ(charactersInGbkBytes(QString(), 10), 0);
    // Whatever the count, the cut text never takes more bytes than allowed.
    for (int bytes = 0; bytes <= 8; ++bytes)
        EXPECT_LE(gbkLength(text.left(charactersInGbkBytes(text, bytes))), bytes);

    // A character outside the basic plane is two UTF-16 units and one "?" byte: taken whole or not at all.
    const QString face = QString::fromUcs4(U"\U0001F600x");
    EXPECT_EQ(charactersInGbkBytes(face, 0), 0);
    EXPECT_EQ(charactersInGbkBytes(face, 1), 2);
    EXPECT_EQ(charactersInGbkBytes(face, 2), 3);
}

TEST(ConversionsGbk, PasswordDigestIsMd5OfTheGbkBytes)
{
    EXPECT_EQ(passwordDigest(QString()), u"d41d8cd98f00b204e9800998ecf8427e"_s);
    EXPECT_EQ(passwordDigest(u""_s), u"d41d8cd98f00b204e9800998ecf8427e"_s);
    EXPECT_EQ(passwordDigest(u"abc"_s), u"900150983cd24fb0d6963f7d28e17f72"_s);
    EXPECT_EQ(passwordDigest(u"密码"_s), u"d2293e30f0c964c5f6242486aa8a483c"_s);
    EXPECT_EQ(passwordDigest(u"收银123"_s), u"07e61c83621898b110e40cd1b4748b1b"_s);
    // Not the digest of the UTF-8 bytes, and always 32 lowercase hexadecimal characters.
    EXPECT_NE(passwordDigest(u"密码"_s),
              QString::fromLatin1(QCryptographicHash::hash(u"密码"_s.toUtf8(), QCryptographicHash::Md5).toHex()));
    for (const QString& password : {u"Abc"_s, u"收银员"_s, u"P@ss word!"_s}) {
        const QString digest = passwordDigest(password);
        EXPECT_EQ(digest.size(), 32);
        EXPECT_EQ(digest, digest.toLower());
    }
}

} // namespace
} // namespace quorrel
