#pragma once

#include "core/records/DaySummary.h"

#include <QDialog>

#include <memory>

class QStandardItemModel;

namespace Ui {
class DaySummaryWindow;
}

namespace quorrel {

class ReceiptPrinting;
struct Session;

// "日结": what the till took on one day, by payment method and by cashier, with the cash the drawer
// should hold and the sales deleted or changed that day; printed on the receipt printer, exported
// to a workbook. An ordinary user sees only their own sales.
class DaySummaryWindow : public QDialog
{
    Q_OBJECT
public:
    explicit DaySummaryWindow(Session& session, QWidget* parent = nullptr);
    ~DaySummaryWindow() override;

    const DayFigures& figures() const { return m_figures; }

private:
    void fillCashiers();
    void refresh();
    void showFigures();
    QString chosenCashier() const;
    void openChanges();
    void printClosing();
    void exportClosing();

    std::unique_ptr<Ui::DaySummaryWindow> m_ui;
    Session& m_session;
    QStandardItemModel* m_methods;
    QStandardItemModel* m_cashiers;
    ReceiptPrinting* m_receipts = nullptr;
    DayFigures m_figures;
};

} // namespace quorrel
