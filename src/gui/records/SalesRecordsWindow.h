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
// data reset or restored. The list follows every change of the stored sales. The sale-detail and
// search windows it offers are opened by whoever opened it, on its requests.
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
    // A stored number too long to be added exactly: the totals labels read this, and the message
    // names the sale.
    static inline const QString kNoTotal = QStringLiteral("无法合计");
    static inline const QString kUnreadableTotal = QStringLiteral("单号 %1 的数量或金额“%2”太大，无法合计！");

signals:
    // The database file was replaced (reset or restore): the program must start afresh.
    void restartRequested();
    // Both totals labels show the totals of the listed sales.
    void totalsShown();
    // The lines of the sale with that ID are to be shown ("查看详情").
    void detailsRequested(qint64 saleId);
    // The conditional search is to be opened ("查询"); its query comes back through showRecords().
    void searchRequested();

private:
    void updateTotals();
    void startTotals();
    void showTotals(const RecordTotals& totals);
    void stopTotals();
    int selectedRow() const;
    void selectionChanged();
    void openDetails();
    void saleChanged();
    void saleDeleted(qint64 saleId);
    void showPopup(const QPoint& position);
    void quickFind();
    void deleteSale();
    void printSale();
    void exportRecords();
    void resetData();
    void restoreData();
    // On a server's shop, says that backup, reset and restore are the server's tools' work.
    bool refusedOnServer();

    std::unique_ptr<Ui::SalesRecordsWindow> m_ui;
    Session& m_session;
    ReceiptPrinting* m_receipts = nullptr;
    SalesRecordsModel* m_model;
    QMenu* m_menu;
    std::unique_ptr<RecordTotalsReader> m_totals; // made by the first fill that needs it
    bool m_totalsWanted = false;                  // the totals of the list's query are to be summed
};

} // namespace quorrel
