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

// Every column the program reads besides the logo, whose bytes are read only when they are needed.
const QStringList& keptColumns()
{
    static const QStringList columns{
        QStringLiteral("ID"),       setting::kShopName,
        setting::kTicketFormat,     setting::kRemark,
        setting::kCustomer,         setting::kPhone,
        setting::kDiscount,         setting::kPaymentMethod,
        setting::kSaveSalesRecords, setting::kShowPrintFinished,
        setting::kAskPrintAgain,    setting::kPrintUnitPrice,
        setting::kPaperMargin,      setting::kPrintOffset,
        setting::kRememberedUser,   setting::kDirectLogin,
        setting::kLogoOffset,       setting::kPrintLogo,
    };
    return columns;
}

QString rowStatement()
{
    QStringList names;
    for (const QString& column : keptColumns())
        names << u'[' + column + u']';
    return QStringLiteral("select ") + names.join(QStringLiteral(", ")) +
           QStringLiteral(" from [配置文件] where [ID]=1");
}

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

int wholeInt(const QVariant& value)
{
    return clampToWhole(storedWhole(value), std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

QString asText(const QVariant& value)
{
    if (value.typeId() == QMetaType::Double)
        return doubleToText(value.toDouble()); // as RecordSet::text writes numbers
    return value.toString();
}

Flag asFlag(const QString& value)
{
    if (value == kOn)
        return Flag::On;
    if (value == kOff)
        return Flag::Off;
    return Flag::Unset;
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

ShopSettings::ShopSettings(Database& db, QObject* parent) : QObject(parent), m_db(db) {}

ShopSettings::~ShopSettings() = default;

Result<QHash<QString, QVariant>> ShopSettings::readRow()
{
    auto records = m_db.query(rowStatement());
    if (!records)
        return m_db.failure();
    QHash<QString, QVariant> values;
    const bool found = !records->atEnd();
    for (int i = 0; i < keptColumns().size(); ++i)
        values.insert(keptColumns()[i], found ? records->readField(i + 1) : QVariant(QString()));
    return values;
}

Done ShopSettings::ensureLoaded()
{
    if (m_loaded)
        return {};
    Result<QHash<QString, QVariant>> row = readRow();
    if (!row)
        return Error{row.error()};
    m_values = std::move(*row);
    m_loaded = true;
    return {};
}

Done ShopSettings::reload()
{
    Result<QHash<QString, QVariant>> row = readRow();
    if (!row)
        return Error{row.error()};
    const QHash<QString, QVariant> before = std::exchange(m_values, std::move(*row));
    const bool wasLoaded = std::exchange(m_loaded, true);
    bool logoChanged = false;
    if (m_logoLoaded) {
        const QByteArray logo = m_logo;
        m_logoLoaded = false;
        const Result<QByteArray> fresh = logoImage();
        logoChanged = !fresh || *fresh != logo;
    }
    for (const QString& column : keptColumns()) {
        if (!wasLoaded || before.value(column) != m_values.value(column))
            emit changed(column);
    }
    if (logoChanged)
        emit changed(setting::kLogo);
    return {};
}

void ShopSettings::forget()
{
    m_loaded = false;
    m_values.clear();
    m_logoLoaded = false;
    m_logo.clear();
}

Result<QVariant> ShopSettings::field(const QString& column)
{
    if (column == setting::kLogo) {
        const Result<QByteArray> logo = logoImage();
        return logo ? Result<QVariant>(QVariant(*logo)) : Result<QVariant>(Error{logo.error()});
    }
    if (const Done loaded = ensureLoaded(); !loaded)
        return Error{loaded.error()};
    return m_values.value(column, QVariant(QString()));
}

Result<QString> ShopSettings::text(const QString& column)
{
    const Result<QVariant> value = field(column);
    if (!value)
        return Error{value.error()};
    return asText(*value);
}

Result<Flag> ShopSettings::flag(const QString& column)
{
    const Result<QString> value = text(column);
    if (!value)
        return Error{value.error()};
    return asFlag(*value);
}

Done ShopSettings::store(const QString& sql, const QString& column, const QVariant& value, const QVariantList& params)
{
    if (!m_db.execute(sql, params))
        return m_db.failure();
    if (m_loaded)
        m_values.insert(column, value);
    emit changed(column);
    return {};
}

Done ShopSettings::setText(const QString& column, const QString& text)
{
    // Column names come from the constants above only; the value is always bound.
    return store(QStringLiteral("update [配置文件] set [") + column + QStringLiteral("]=? where [ID]=1"), column, text,
                 {text});
}

Done ShopSettings::setFlag(const QString& column, bool on)
{
    return setText(column, on ? kOn : kOff);
}

Done ShopSettings::setShopText(const QString& shopName, const QString& remark)
{
    if (!m_db.execute(QStringLiteral("update [配置文件] set [店名]=?, [备注]=? where [ID]=1"), {shopName, remark}))
        return m_db.failure();
    if (m_loaded) {
        m_values.insert(setting::kShopName, shopName);
        m_values.insert(setting::kRemark, remark);
    }
    emit changed(setting::kShopName);
    emit changed(setting::kRemark);
    return {};
}

Result<bool> ShopSettings::directLogin()
{
    const Result<QString> value = text(setting::kDirectLogin);
    if (!value)
        return Error{value.error()};
    return *value != QStringLiteral("0");
}

Done ShopSettings::setDirectLogin(bool on)
{
    return setText(setting::kDirectLogin, on ? QStringLiteral("1") : QStringLiteral("0"));
}

Done ShopSettings::setRememberedUser(const QString& name)
{
    return setText(setting::kRememberedUser, name);
}

Result<int> ShopSettings::coordinate(const QString& column)
{
    const Result<QVariant> value = field(column);
    if (!value)
        return Error{value.error()};
    return clampToWhole(storedNumber(*value), -kCoordinateLimit, kCoordinateLimit);
}

Result<int> ShopSettings::ticketFormat()
{
    const Result<QVariant> value = field(setting::kTicketFormat);
    if (!value)
        return Error{value.error()};
    return wholeInt(*value);
}

Done ShopSettings::setTicketFormat(int format)
{
    // Every settings row takes it, as the format has always been written.
    const QString text = QString::number(format);
    return store(QStringLiteral("update [配置文件] set [全局单号格式]=?"), setting::kTicketFormat, text, {text});
}

Result<bool> ShopSettings::printLogo()
{
    const Result<Flag> value = flag(setting::kPrintLogo);
    if (!value)
        return Error{value.error()};
    return *value == Flag::On;
}

Done ShopSettings::setPrintLogo(bool on)
{
    return setFlag(setting::kPrintLogo, on);
}

Result<int> ShopSettings::storedLogoOffset()
{
    const Result<QVariant> value = field(setting::kLogoOffset);
    if (!value)
        return Error{value.error()};
    return wholeInt(*value);
}

Result<int> ShopSettings::logoOffset()
{
    const Result<int> stored = storedLogoOffset();
    if (!stored)
        return stored;
    return std::clamp(*stored, 0, kLogoOffsetLimit);
}

Done ShopSettings::setLogoOffset(const QString& text)
{
    const std::optional<int> offset = wholeFromTypedText(text);
    if (!offset)
        return Error{QStringLiteral("图像偏差不是整数：%1").arg(text)};
    return store(QStringLiteral("update [配置文件] set [logo偏差]=? where [ID]=1"), setting::kLogoOffset,
                 QVariant(qint64(*offset)), {*offset});
}

Result<QByteArray> ShopSettings::logoImage()
{
    if (m_logoLoaded)
        return m_logo;
    auto records = m_db.query(QStringLiteral("select [logo] from [配置文件] where [ID]=1"));
    if (!records)
        return m_db.failure();
    const QVariant value = records->atEnd() ? QVariant() : records->readField(1);
    // Only bytes written by hand can be text; a NULL reads as no bytes.
    m_logo = value.typeId() == QMetaType::QByteArray ? value.toByteArray() : value.toString().toUtf8();
    m_logoLoaded = true;
    return m_logo;
}

Done ShopSettings::setLogoImage(const QByteArray& bytes)
{
    // An empty QByteArray still binds as bytes (an empty logo), never as NULL.
    if (!m_db.execute(QStringLiteral("update [配置文件] set [logo]=? where [ID]=1"), {QVariant(bytes)}))
        return m_db.failure();
    m_logo = bytes;
    m_logoLoaded = true;
    emit changed(setting::kLogo);
    return {};
}

Result<PrintSettings> ShopSettings::printSettings()
{
    if (const Done loaded = ensureLoaded(); !loaded)
        return Error{loaded.error()};
    auto on = [this](const QString& column) { return asFlag(asText(m_values.value(column))) == Flag::On; };
    PrintSettings print;
    print.showPrintFinished = on(setting::kShowPrintFinished);
    print.askPrintAgain = on(setting::kAskPrintAgain);
    print.printUnitPrice = on(setting::kPrintUnitPrice);
    print.printLogo = on(setting::kPrintLogo);
    print.paperMargin = *coordinate(setting::kPaperMargin);
    print.printOffset = *coordinate(setting::kPrintOffset);
    return print;
}

} // namespace quorrel
