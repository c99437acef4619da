#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace Ui {
class MainWindow;
}

namespace quorrel {

class Checkout;
class CustomerLookups;
class HotKeys;
class LineItems;
class ProductLookup;
class ReceiptPrinting;
class SaleLinesModel;
struct Session;

// The sales window: what it shows when it opens, its menu and buttons, clock and hot keys.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The opening routine: role, caption, cashier, ticket number, settings, lists. Runs when the
    // window opens and again after the ticket format changes; the hot keys are installed once.
    void runStartupRoutine();

    // Opens the ticket-format window (reached from the settings window).
    void openTicketFormatWindow();
    // "系统设置" › "软件设置".
    void openSettingsWindow();

signals:
    void addLineRequested();  // "添加", Enter
    void printRequested();    // "打印小票", F5
    void saveOnlyRequested(); // "仅保存小票"
    void previewRequested();  // "打印预览"

private:
    void connectPaymentMethodUnits();
    void reportQueryFailed();
    // The setting's text; a failed read is reported ("查询失败！") and gives empty text.
    QString settingOrReport(const std::optional<QString>& value);
    void lookUpRole();
    void applyRoleToCashierUnits();
    void showStartupTicketNumber();
    void fillPaymentMethods();
    // Runs `apply` with the flag's state when the settings column holds "真" or "假"; any other
    // value leaves the units as they are.
    void applyFlagSetting(const QString& column, const std::function<void(bool)>& apply);
    void applyPhoneSetting();
    void applyCustomerSetting();
    void applyDiscountSetting();
    void applyPaymentMethodSetting();
    void loadPrintSettings();
    bool readPrintLogoFlagOrReport();
    void fillCashiers();

    void showCustomerArea(bool show);
    void tickClock();
    void openCalculator();
    void openTextEditor();
    void openPreview();

    std::unique_ptr<Ui::MainWindow> m_ui;
    Session& m_session;
    QTimer* m_clock = nullptr;
    HotKeys* m_hotKeys = nullptr;
    SaleLinesModel* m_saleLines = nullptr;
    ProductLookup* m_products = nullptr;
    LineItems* m_lines = nullptr;
    Checkout* m_checkout = nullptr;
    ReceiptPrinting* m_receipts = nullptr;
    CustomerLookups* m_customers = nullptr;
    int m_narrowWidth = 0;
};

} // namespace quorrel
