#pragma once

class QWidget;

namespace quorrel {

class SalesRecordsWindow;
struct Session;

// Puts the records window together with the windows it offers: a sale's lines and the conditional
// search open over it, modally, on its requests.
void connectRecordsSubWindows(SalesRecordsWindow* records, Session& session);

// The records window so put together, shown modally; it deletes itself when closed.
SalesRecordsWindow* openSalesRecordsWindow(Session& session, QWidget* parent);

} // namespace quorrel
