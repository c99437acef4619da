#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace quorrel {

class Database;

// The settings row's columns (配置文件, ID 1).
namespace setting {
inline const QString kShopName = QStringLiteral("店名");
inline const QString kTicketFormat = QStringLiteral("全局单号格式");
inline const QString kRemark = QStringLiteral("备注");
inline const QString kCustomer = QStringLiteral("客户");
inline const QString kPhone = QStringLiteral("电话");
inline const QString kDiscount = QStringLiteral("折扣");
inline const QString kPaymentMethod = QStringLiteral("付款方式的选中");
inline const QString kSaveSalesRecords = QStringLiteral("保存销售记录");
inline const QString kShowPrintFinished = QStringLiteral("显示打印完毕");
inline const QString kAskPrintAgain = QStringLiteral("提示再次打印");
inline const QString kPrintUnitPrice = QStringLiteral("打印单价");
inline const QString kPaperMargin = QStringLiteral("纸张边距");
inline const QString kPrintOffset = QStringLiteral("打印偏差");
inline const QString kRememberedUser = QStringLiteral("用户登录");
inline const QString kDirectLogin = QStringLiteral("直接登录");
inline const QString kLogoOffset = QStringLiteral("logo偏差");
inline const QString kPrintLogo = QStringLiteral("是否打印logo");
inline const QString kLogo = QStringLiteral("logo");
} // namespace setting

// A flag column holds "真" (on) or "假" (off); anything else leaves the caller's default.
inline const QString kOn = QStringLiteral("真");
inline const QString kOff = QStringLiteral("假");

enum class Flag
{
    On,
    Off,
    Unset, // neither "真" nor "假": the caller keeps its default
};

// Stored margins and offsets become printer and screen coordinates: whatever the row holds, they are
// read within these bounds (tenths of a millimetre), so no hand-edited value can overflow them.
inline constexpr int kCoordinateLimit = 1000;
inline constexpr int kLogoOffsetLimit = 2000;

// The one reader and writer of the settings row. Readers give nullopt and writers false when the
// statement fails (the database's lastError() tells why); the window decides what the user sees.
class ShopSettings
{
public:
    explicit ShopSettings(Database& db) : m_db(db) {}

    // The column as stored (empty text for NULL or a column that does not exist).
    std::optional<QVariant> field(const QString& column);
    // The same as text, numbers in their plain decimal form.
    std::optional<QString> text(const QString& column);
    std::optional<Flag> flag(const QString& column);

    // Sets a flag column to "真" or "假".
    bool setFlag(const QString& column, bool on);

    std::optional<QString> shopName() { return text(setting::kShopName); }
    std::optional<QString> remark() { return text(setting::kRemark); }
    // 店名 and 备注 together, as typed.
    bool setShopText(const QString& shopName, const QString& remark);

    // 直接登录: on unless it holds "0".
    std::optional<bool> directLogin();
    bool setDirectLogin(bool on);
    std::optional<QString> rememberedUser() { return text(setting::kRememberedUser); }
    bool setRememberedUser(const QString& name);

    // 纸张边距 and 打印偏差 cut to whole tenths of a millimetre within ±kCoordinateLimit.
    std::optional<int> paperMargin() { return coordinate(setting::kPaperMargin); }
    std::optional<int> printOffset() { return coordinate(setting::kPrintOffset); }
    // Both are stored as typed; a text that is no number reads back as the number its leading
    // digits form.
    bool setPaperMarginText(const QString& text) { return setText(setting::kPaperMargin, text); }
    bool setPrintOffsetText(const QString& text) { return setText(setting::kPrintOffset, text); }

    // 全局单号格式 as a whole number.
    std::optional<int> ticketFormat();
    bool setTicketFormat(int format);

    // 是否打印logo is on only when it holds "真".
    std::optional<bool> printLogo();
    bool setPrintLogo(bool on);
    // logo偏差 as a whole number the way it is stored (a fraction cut off; empty or NULL is 0).
    std::optional<int> storedLogoOffset();
    // The same within 0..kLogoOffsetLimit, as the receipt draws it.
    std::optional<int> logoOffset();
    // logo偏差 holds whole numbers only: a text that is no number (empty, letters, out of range) is
    // refused and nothing is stored; a number with a fraction is stored as its whole part.
    bool setLogoOffset(const QString& text);
    // The image file's bytes exactly as they were read from disk; NULL or empty give no bytes.
    std::optional<QByteArray> logoImage();
    bool setLogoImage(const QByteArray& bytes);

private:
    std::optional<int> coordinate(const QString& column);
    bool setText(const QString& column, const QString& text);

    Database& m_db;
};

// The whole part of `value` within low..high; not a number gives 0.
int clampToWhole(double value, int low, int high);

} // namespace quorrel
