#pragma once

#include <QStringList>

namespace quorrel {

// The discount rates offered in the main window, in tenths of the full price: "10", then "9.9"
// down to "1.0" in steps of 0.1, without "8.8" and "7.0" (89 entries).
QStringList discountRates();

} // namespace quorrel
