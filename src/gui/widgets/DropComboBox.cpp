#include "gui/widgets/DropComboBox.h"

namespace quorrel {

void DropComboBox::showPopup()
{
    emit aboutToDrop();
    QComboBox::showPopup();
}

} // namespace quorrel
