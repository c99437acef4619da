#include "core/shop/ShopSettings.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/RecordSet.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorrel {

namespace {

const QString kRow = QStringLiteral("select * from [配置文件] where [ID]=1");

// The whole-number offset a text stands for, as the column would take it: the whole text must be
// one decimal number (blanks around it, full-width digits allowed) that fits the column.
std::optional<int> wholeFromTypedText(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^[ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*$)"));
    const QString plain = toHalfWidth(text);
    if (!number.match(plain).hasMatch())
        return std::nullopt;
    const double whole = std::trunc(textToNumber(plain));
    if (!std::isfinite(whole) || whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(whole);
}

bool isNumber(const QVariant& value)
{
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
}

// A stored number, whether the column holds it as a number or as text.
double storedNumber(const QVariant& value)
{
    return isNumber(value) ? value.toDouble() : textToNumber(value.toString());
}

// A stored whole number: text counts by its leading whole part only ("1e2" is 1), as it always has.
double storedWhole(const QVariant& value)
{
    return isNumber(value) ? value.toDouble() : static_cast<double>(textToWhole(value.toString()));
}

} // namespace

int clampToWhole(double value, int low, int high)
{
    if (std::isnan(value))
        return 0;
    const double whole = std::trunc(value);
    if (whole <= low)
        return low;
    if (whole >= high)
        return high;
    return static_cast<int>(whole);
}

std::optional<QVariant> ShopSettings::field(const QString& column)
{
    auto records = m_db.query(kRow);
    if (!records)
        return std::nullopt;
    records->moveFirst();
    QVariant value = records->readField(column);
    records->close();
    return value;
}

std::optional<QString> ShopSettings::text(const QString& column)
{
    const std::optional<QVariant> value = field(column);
    if (!value)
        return std::nullopt;
    if (value->typeId() == QMetaType::Double)
        return doubleToText(value->toDouble()); // as RecordSet::text writes numbers
    return value->toString();
}

std::optional<Flag> ShopSettings::flag(const QString& column)
{
    const std::optional<QString> value = text(column);
    if (!value)
        return std::nullopt;
    if (*value == kOn)
        return Flag::On;
    if (*value == kOff)
        return Flag::Off;
    return Flag::Unset;
}

bool ShopSettings::setText(const QString& column, const QString& text)
{
    // Column names come from the constants above only; the value is always bound.
    return m_db.execute(QStringLiteral("update [配置文件] set [") + column + QStringLiteral("]=? where [ID]=1"),
                        {text});
}

bool ShopSettings::setFlag(const QString& column, bool on)
{
    return setText(column, on ? kOn : kOff);
}

bool ShopSettings::setShopText(const QString& shopName, const QString& remark)
{
    return m_db.execute(QStringLiteral("update [配置文件] set [店名]=?, [备注]=? where [ID]=1"), {shopName, remark});
}

std::optional<bool> ShopSettings::directLogin()
{
    const std::optional<QString> value = text(setting::kDirectLogin);
    if (!value)
        return std::nullopt;
    return *value != QStringLiteral("0");
}

bool ShopSettings::setDirectLogin(bool on)
{
    return m_db.execute(QStringLiteral("update [配置文件] set [直接登录]=? where [ID]=1"),
                        {on ? QStringLiteral("1") : QStringLiteral("0")});
}

bool ShopSettings::setRememberedUser(const QString& name)
{
    return m_db.execute(QStringLiteral("update [配置文件] set [用户登录]=? where [ID]=1"), {name});
}

std::optional<int> ShopSettings::coordinate(const QString& column)
{
    const std::optional<QVariant> value = field(column);
    if (!value)
        return std::nullopt;
    return clampToWhole(storedNumber(*value), -kCoordinateLimit, kCoordinateLimit);
}

std::optional<int> ShopSettings::ticketFormat()
{
    const std::optional<QVariant> value = field(setting::kTicketFormat);
    if (!value)
        return std::nullopt;
    return clampToWhole(storedWhole(*value), std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

bool ShopSettings::setTicketFormat(int format)
{
    // Every settings row takes it, as the format has always been written.
    return m_db.execute(QStringLiteral("update [配置文件] set [全局单号格式]=?"), {QString::number(format)});
}

std::optional<bool> ShopSettings::printLogo()
{
    const std::optional<Flag> value = flag(setting::kPrintLogo);
    if (!value)
        return std::nullopt;
    return *value == Flag::On;
}

bool ShopSettings::setPrintLogo(bool on)
{
    return setFlag(setting::kPrintLogo, on);
}

std::optional<int> ShopSettings::storedLogoOffset()
{
    const std::optional<QVariant> value = field(setting::kLogoOffset);
    if (!value)
        return std::nullopt;
    return clampToWhole(storedWhole(*value), std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

std::optional<int> ShopSettings::logoOffset()
{
    const std::optional<int> stored = storedLogoOffset();
    if (!stored)
        return std::nullopt;
    return std::clamp(*stored, 0, kLogoOffsetLimit);
}

bool ShopSettings::setLogoOffset(const QString& text)
{
    const std::optional<int> offset = wholeFromTypedText(text);
    if (!offset)
        return false;
    return m_db.execute(QStringLiteral("update [配置文件] set [logo偏差]=? where [ID]=1"), {*offset});
}

std::optional<QByteArray> ShopSettings::logoImage()
{
    const std::optional<QVariant> value = field(setting::kLogo);
    if (!value)
        return std::nullopt;
    if (value->typeId() == QMetaType::QByteArray)
        return value->toByteArray();
    // Only bytes written by hand can be text; a NULL or an absent column reads as empty text.
    return value->toString().toUtf8();
}

bool ShopSettings::setLogoImage(const QByteArray& bytes)
{
    // An empty QByteArray still binds as bytes (an empty logo), never as NULL.
    return m_db.execute(QStringLiteral("update [配置文件] set [logo]=? where [ID]=1"), {QVariant(bytes)});
}

} // namespace quorrel
