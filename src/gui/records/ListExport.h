#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quorrel {

// Runs `work` on a thread of its own and returns once it has ended. Meanwhile the program's windows
// keep painting and their timers run, but the user's input is dropped (not kept for later) and no
// window closes, so nothing new is started; a wait cursor shows at once, and a modal progress
// dialog with `label` and no cancel button when the work takes longer than a moment. `work` must
// touch no widget and no database connection of the GUI thread; the caller reads its results after
// this returns and shows any message then.
void runInBackground(QWidget* owner, const QString& label, const std::function<void()>& work);

// Writes the workbook to the chosen file; true on success, else false with an error text. Runs on
// a worker thread (see runInBackground).
using WorkbookWrite = std::function<bool(const QString& targetPath, QString* error)>;

// The export buttons of the records and detail windows: the save dialog preset to the date prefix
// and "查询结果", the workbook written in the background, and the messages. `recordsWindow` owns the
// empty-list message, as it does for both windows; `owner` owns the dialog and the other messages.
// A file the shop's database at `databasePath` keeps (the database, its journals, its lock…) is
// never written: "保存失败！".
void exportList(QWidget* owner, QWidget* recordsWindow, bool hasRows, const QString& databasePath,
                const WorkbookWrite& write);

// The name both save dialogs of the records windows propose: "160824查询结果" on 24 August 2016.
QString proposedFileName();

} // namespace quorrel
