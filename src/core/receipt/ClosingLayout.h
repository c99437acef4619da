#pragma once

#include "core/records/DaySummary.h"

#include <QString>

namespace quorrel {

class Printer;

// What the printed closing of a day shows besides its figures.
struct ClosingHeader
{
    QString shopName;
    QString day;     // yyyy-MM-dd
    QString till;    // 收银台
    QString cashier; // 全部, or the one cashier
    QString printed; // the time it is printed
};

// Lays out the day's closing on the receipt printer in use, as one job, in the receipt's own
// 48 mm width; false when the job could not be started or finished.
bool layOutClosing(Printer& printer, const ClosingHeader& header, const DayFigures& figures, int paperMargin = 0);

} // namespace quorrel
