#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace quorrel {

// The export buttons of the records and detail windows: the save dialog preset to the date prefix
// and "查询结果", the workbook, and the messages. `recordsWindow` owns the empty-list message, as
// it does for both windows; `owner` owns the dialog and the other messages.
void exportList(QWidget* owner, QWidget* recordsWindow, const QStringList& titles, const QList<QStringList>& rows);

// The name both save dialogs of the records windows propose: "160824查询结果" on 24 August 2016.
QString proposedFileName();

} // namespace quorrel
