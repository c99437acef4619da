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
class RecordTotalsReader;
class SalesRecordsModel;
struct RecordTotals;
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

    // Fills the list from the query, at once; "查询失败！" and an empty list when it fails. The
    // totals labels read "计算中…" until the totals of every sale found have been summed in the
    // background; a newer fill drops the totals of an older one.
    void showRecords(const RecordsQuery& query);
    SalesRecordsModel& model() const { return *m_model; }
    QMenu* popupMenu() const { return m_menu; }

    static inline const QString kCountingTotals = QStringLiteral("计算中…");

signals:
    // The database file was replaced (reset or restore): the program must start afresh.
    void restartRequested();
    // Both totals labels show the totals of the listed sales.
    void totalsShown();

private:
    void updateTotals();
    void startTotals();
    void showTotals(const RecordTotals& totals);
    void stopTotals();
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
    std::unique_ptr<RecordTotalsReader> m_totals; // made by the first fill that needs it
    bool m_totalsWanted = false;                  // the totals of the list's query are to be summed
};

} // namespace quorrel
