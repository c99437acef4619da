#pragma once

#include "core/sales/CurrentSale.h"

class QLineEdit;
class QPlainTextEdit;

namespace quorrel {

// Keeps a box of the main window and a field of the sale's header showing the same text, whichever
// of them is changed: the cashier types into the box, the till's code sets the field.
void bindHeaderBox(QLineEdit* box, CurrentSale& sale, CurrentSale::Field field);
void bindHeaderBox(QPlainTextEdit* box, CurrentSale& sale, CurrentSale::Field field);

} // namespace quorrel
