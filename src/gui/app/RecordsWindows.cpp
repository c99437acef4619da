#include "gui/app/RecordsWindows.h"

#include "gui/records/SaleDetailWindow.h"
#include "gui/records/SalesRecordsWindow.h"
#include "gui/records/SearchWindow.h"

namespace quorrel {

namespace {

// Shows a window modally without a nested event loop; it deletes itself when closed.
void showModal(QDialog* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
}

} // namespace

void connectRecordsSubWindows(SalesRecordsWindow* records, Session& session)
{
    QObject::connect(records, &SalesRecordsWindow::detailsRequested, records, [&session, records](qint64 saleId) {
        showModal(new SaleDetailWindow(session, saleId, records, records));
    });
    QObject::connect(records, &SalesRecordsWindow::searchRequested, records, [&session, records] {
        auto* search = new SearchWindow(session, records);
        QObject::connect(search, &SearchWindow::searchRequested, records, &SalesRecordsWindow::showRecords);
        showModal(search);
    });
}

SalesRecordsWindow* openSalesRecordsWindow(Session& session, QWidget* parent)
{
    auto* records = new SalesRecordsWindow(session, parent);
    connectRecordsSubWindows(records, session);
    showModal(records);
    return records;
}

} // namespace quorrel
