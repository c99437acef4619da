#pragma once

#include <QComboBox>

namespace quorrel {

// A combo box that says when its list is about to drop down, so the list can be refilled first.
class DropComboBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void aboutToDrop();
};

} // namespace quorrel

using quorrel::DropComboBox;
