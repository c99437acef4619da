#pragma once

#include "core/records/RecordsQuery.h"

#include <QDialog>

#include <functional>
#include <memory>

class QMenu;

namespace Ui {
class SalesRecordsWindow;
}

namespace quorrel {

class ReceiptPrinting;
class Printer;
class SalesRecordsModel;
struct Session;

// The stored sales: today's at first, then what a quick find or a search finds, with their totals;
// from here a sale's lines are opened, a sale deleted or printed again, the list exported, and the
// data reset or restored.
class SalesRecordsWindow : public QDialog
{
    Q_OBJECT
public:
    explicit SalesRecordsWindow(Session& session, QWidget* parent = nullptr);
    ~SalesRecordsWindow() override;

    // Fills the list from the query and its totals; "查询失败！" and an empty list when it fails.
    void showRecords(const RecordsQuery& query);
    SalesRecordsModel& model() const { return *m_model; }
    QMenu* popupMenu() const { return m_menu; }

signals:
    // The database file was replaced (reset or restore): the program must start afresh.
    void restartRequested();

private:
    void updateTotals();
    int selectedRow() const;
    void selectionChanged();
    void openDetails();
    void showPopup(const QPoint& position);
    void quickFind();
    void deleteSale();
    void printSale();
    void openSearch();
    void exportRecords();
    void resetData();
    void restoreData();

    std::unique_ptr<Ui::SalesRecordsWindow> m_ui;
    Session& m_session;
    ReceiptPrinting* m_receipts = nullptr;
    SalesRecordsModel* m_model;
    QMenu* m_menu;
};

} // namespace quorrel
