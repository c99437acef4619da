#pragma once

#include <QString>

#include <functional>

namespace quorrel {

// Runs `work` on a worker thread and returns its answer (and its error text in `error`). Meanwhile
// this thread's events run, user input aside, so that windows keep painting while a printer takes
// its time, and nothing new is started from them.
bool runOffThread(const std::function<bool(QString* error)>& work, QString* error = nullptr);

} // namespace quorrel
