#include "core/receipt/LogoStore.h"

#include "core/shop/Settings.h"
#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/RecordSet.h"

#include <QRegularExpression>
#include <QVariant>

#include <cmath>
#include <limits>

namespace quorrel {

namespace {

const QString kSettingsRow = QStringLiteral("select * from [配置文件] where [ID]=1");
const QString kOffsetColumn = QStringLiteral("logo偏差");
const QString kImageColumn = QStringLiteral("logo");
const QString kFlagColumn = QStringLiteral("是否打印logo");

// The value cut toward zero and kept within int; not a number gives 0.
int wholeInt(double value)
{
    if (std::isnan(value))
        return 0;
    const double whole = std::trunc(value);
    if (whole <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    if (whole >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(whole);
}

// The first settings row's column as it is stored; nullopt when the query failed.
std::optional<QVariant> readSettingsField(Database& db, const QString& column)
{
    return readFirstRowField(db, kSettingsRow, column);
}

// The whole-number offset a text stands for, as the column would take it: the whole text must be
// one decimal number (blanks around it, full-width digits allowed) that fits the column.
std::optional<int> offsetFromText(const QString& text)
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

} // namespace

std::optional<int> loadLogoOffset(Database& db)
{
    const std::optional<QVariant> value = readSettingsField(db, kOffsetColumn);
    if (!value)
        return std::nullopt;
    switch (value->typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Double:
        return wholeInt(value->toDouble());
    default:
        return wholeInt(static_cast<double>(textToWhole(value->toString())));
    }
}

std::optional<QByteArray> loadLogoImage(Database& db)
{
    const std::optional<QVariant> value = readSettingsField(db, kImageColumn);
    if (!value)
        return std::nullopt;
    if (value->typeId() == QMetaType::QByteArray)
        return value->toByteArray();
    // Only bytes written by hand can be text; a NULL or an absent column reads as empty text.
    return value->toString().toUtf8();
}

std::optional<QString> readPrintLogoFlag(Database& db)
{
    const std::optional<QVariant> value = readSettingsField(db, kFlagColumn);
    if (!value)
        return std::nullopt;
    return value->toString();
}

bool storePrintLogoFlag(Database& db, bool on)
{
    // No where clause: the settings table has one row, and the flag has always been set on all.
    return db.execute(on ? QStringLiteral("update 配置文件  set  是否打印logo='真'")
                         : QStringLiteral("update 配置文件  set  是否打印logo='假'"));
}

bool storeLogoImage(Database& db, const QByteArray& bytes)
{
    // An empty QByteArray still binds as bytes (an empty logo), never as NULL.
    return db.execute(QStringLiteral("update  [配置文件] set logo=? where [ID]=1"), {QVariant(bytes)});
}

bool storeLogoOffset(Database& db, const QString& text)
{
    const std::optional<int> offset = offsetFromText(text);
    if (!offset)
        return false;
    return db.execute(QStringLiteral("update  [配置文件] set  logo偏差 =? where [ID]=1"), {*offset});
}

} // namespace quorrel
