#pragma once

#include "core/store/Result.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

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

// What the receipt is printed with, as the settings row holds it.
struct PrintSettings
{
    bool showPrintFinished = false; // 显示打印完毕
    bool askPrintAgain = false;     // 提示再次打印
    bool printUnitPrice = false;    // 打印单价
    bool printLogo = false;         // 是否打印logo
    int paperMargin = 0;            // 纸张边距
    int printOffset = 0;            // 打印偏差
};

// The settings row as this program sees it: read once (the logo's bytes only when first asked
// for), then kept; every write goes through here and is announced with changed(column) once it is
// stored. A read before the row could be read tries again, so a failure is reported where it
// happens and never taken for the stored value.
class ShopSettings : public QObject
{
    Q_OBJECT
public:
    explicit ShopSettings(Database& db, QObject* parent = nullptr);
    ~ShopSettings() override;

    // The column as stored (empty text for NULL or a column the row does not hold).
    Result<QVariant> field(const QString& column);
    // The same as text, numbers in their plain decimal form.
    Result<QString> text(const QString& column);
    Result<Flag> flag(const QString& column);

    // Sets a flag column to "真" or "假".
    Done setFlag(const QString& column, bool on);

    Result<QString> shopName() { return text(setting::kShopName); }
    Result<QString> remark() { return text(setting::kRemark); }
    // 店名 and 备注 together, as typed.
    Done setShopText(const QString& shopName, const QString& remark);

    // 直接登录: on unless it holds "0".
    Result<bool> directLogin();
    Done setDirectLogin(bool on);
    Result<QString> rememberedUser() { return text(setting::kRememberedUser); }
    Done setRememberedUser(const QString& name);

    // 纸张边距 and 打印偏差 cut to whole tenths of a millimetre within ±kCoordinateLimit.
    Result<int> paperMargin() { return coordinate(setting::kPaperMargin); }
    Result<int> printOffset() { return coordinate(setting::kPrintOffset); }
    // Both are stored as typed; a text that is no number reads back as the number its leading
    // digits form.
    Done setPaperMarginText(const QString& text) { return setText(setting::kPaperMargin, text); }
    Done setPrintOffsetText(const QString& text) { return setText(setting::kPrintOffset, text); }

    // 全局单号格式 as a whole number.
    Result<int> ticketFormat();
    Done setTicketFormat(int format);

    // 是否打印logo is on only when it holds "真".
    Result<bool> printLogo();
    Done setPrintLogo(bool on);
    // logo偏差 as a whole number the way it is stored (a fraction cut off; empty or NULL is 0).
    Result<int> storedLogoOffset();
    // The same within 0..kLogoOffsetLimit, as the receipt draws it.
    Result<int> logoOffset();
    // logo偏差 holds whole numbers only: a text that is no number (empty, letters, out of range) is
    // refused and nothing is stored; a number with a fraction is stored as its whole part.
    Done setLogoOffset(const QString& text);
    // The image file's bytes exactly as they were read from disk; NULL or empty give no bytes.
    Result<QByteArray> logoImage();
    Done setLogoImage(const QByteArray& bytes);

    // The flags and coordinates a receipt is printed with.
    Result<PrintSettings> printSettings();

    // Reads the row again, as after another program changed it, and announces every column whose
    // value differs from the one kept.
    Done reload();
    // Forgets what was read: the next read goes to the database (after it was replaced or reopened).
    void forget();

signals:
    void changed(const QString& column);

private:
    Done ensureLoaded();
    Result<QHash<QString, QVariant>> readRow();
    Result<int> coordinate(const QString& column);
    Done setText(const QString& column, const QString& text);
    // Stores `value` in the column and, once stored, keeps and announces it.
    Done store(const QString& sql, const QString& column, const QVariant& value, const QVariantList& params);

    Database& m_db;
    bool m_loaded = false;
    QHash<QString, QVariant> m_values;
    bool m_logoLoaded = false;
    QByteArray m_logo;
};

// The whole part of `value` within low..high; not a number gives 0.
int clampToWhole(double value, int low, int high);

} // namespace quorrel
