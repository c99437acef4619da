#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>

class QTimer;

namespace Ui {
class MainWindow;
}

namespace quorrel {

class Checkout;
class CurrentSale;
class CustomerLookups;
class HotKeys;
class LineItems;
class ProductLookup;
class ReceiptPrinting;
class SettingsWindow;
enum class Flag;
struct Session;
struct User;

// The sales window: what it shows when it opens, its menu and buttons, clock and hot keys. It shows
// the sale being entered and follows every change of the shop's settings and lists.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The opening routine: role, caption, cashier, ticket number, settings, lists. Runs when the
    // window opens and again after the ticket format changes; the hot keys are installed once.
    void runStartupRoutine();

    // "系统设置" › "软件设置".
    void openSettingsWindow();

signals:
    void addLineRequested();  // "添加", Enter
    void printRequested();    // "打印小票", F5
    void saveOnlyRequested(); // "仅保存小票"
    void previewRequested();  // "打印预览"
    // The database file was replaced: the program must hand over to a new copy of itself.
    void newCopyRequested();

private:
    void bindSaleHeader();
    void connectShop();
    void connectPaymentMethodUnits();
    void settingChanged(const QString& column);
    void lookUpRole();
    void applyRoleToCashierUnits();
    void showStartupTicketNumber();
    void fillPaymentMethods();
    void paymentMethodsChanged();
    // Runs `apply` with the flag's state when the settings column holds "真" or "假"; any other
    // value leaves the units as they are.
    void applyFlagSetting(const QString& column, const std::function<void(bool)>& apply);
    void applyPhoneSetting();
    void applyCustomerSetting();
    void applyDiscountSetting();
    void applyPaymentMethodSetting();
    void fillCashiers();

    void openSalesRecordsWindow();
    void openDaySummaryWindow();
    void openPaymentMethodWindow();
    void openCustomerWindow();
    void openPreview();
    // The windows the settings window asks for, owned by it.
    void openLogoWindow(QWidget* settings);
    void openTicketFormatWindow(QWidget* settings);
    void openPrinterSelectWindow(QWidget* settings);
    void openAddUserWindow(QWidget* settings);
    void openEditUserWindow(QWidget* settings, const User& user);

    void showCustomerArea(bool show);
    void tickClock();
    void openCalculator();
    void openTextEditor();

    std::unique_ptr<Ui::MainWindow> m_ui;
    Session& m_session;
    QTimer* m_clock = nullptr;
    HotKeys* m_hotKeys = nullptr;
    CurrentSale* m_sale = nullptr;
    ProductLookup* m_products = nullptr;
    LineItems* m_lines = nullptr;
    Checkout* m_checkout = nullptr;
    ReceiptPrinting* m_receipts = nullptr;
    CustomerLookups* m_customers = nullptr;
    int m_narrowWidth = 0;
};

} // namespace quorrel
