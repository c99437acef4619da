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
class HotKeys;
class LineItems;
class ProductLookup;
class ReceiptPrinting;
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
    void RunStartupRoutine();

    Ui::MainWindow& Units() { return *m_ui; }
    LineItems& Lines() { return *m_lines; }
    ProductLookup& Products() { return *m_products; }
    Checkout& Payment() { return *m_checkout; }
    ReceiptPrinting& Receipts() { return *m_receipts; }

    // Opens the ticket-format window (reached from the settings window).
    void OpenTicketFormatWindow();

signals:
    void addLineRequested();  // "添加", Enter
    void printRequested();    // "打印小票", F5
    void saveOnlyRequested(); // "仅保存小票"
    void previewRequested();  // "打印预览"

private:
    void LookUpRole();
    void ApplyRoleToCashierUnits();
    void ShowStartupTicketNumber();
    void FillPaymentMethods();
    // Runs `apply` with the flag's state when the settings column holds "真" or "假"; any other
    // value leaves the units as they are.
    void ApplyFlagSetting(const QString& column, const std::function<void(bool)>& apply);
    void ApplyPhoneSetting();
    void ApplyCustomerSetting();
    void ApplyDiscountSetting();
    void ApplyPaymentMethodSetting();
    void LoadPrintSettings();
    QString ReadPrintLogoFlagOrReport();
    void FillCashiers();
    void FillCustomerLists();
    void ShowCustomerLookups();

    void ShowCustomerArea(bool show);
    void TickClock();
    void OpenCalculator();
    void OpenTextEditor();
    void OpenPreview();

    std::unique_ptr<Ui::MainWindow> m_ui;
    Session& m_session;
    QTimer* m_clock = nullptr;
    HotKeys* m_hotKeys = nullptr;
    ProductLookup* m_products = nullptr;
    LineItems* m_lines = nullptr;
    Checkout* m_checkout = nullptr;
    ReceiptPrinting* m_receipts = nullptr;
    int m_narrowWidth = 0;
};

} // namespace quorrel
