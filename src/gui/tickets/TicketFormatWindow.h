#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TicketFormatWindow;
}

namespace quorrel {

class ShopSettings;

// Chooses the ticket-number format: a fixed prefix of zeros, or the date. The choice is stored in
// the settings, whose change every window showing a ticket number follows.
class TicketFormatWindow : public QDialog
{
    Q_OBJECT
public:
    explicit TicketFormatWindow(ShopSettings& settings, QWidget* parent = nullptr);
    ~TicketFormatWindow() override;

private:
    void loadFormatIntoUnits();
    void customPrefixClicked(bool checked);
    void datePrefixClicked(bool checked);
    void confirmClicked();

    std::unique_ptr<Ui::TicketFormatWindow> m_ui;
    ShopSettings& m_settings;
};

} // namespace quorrel
