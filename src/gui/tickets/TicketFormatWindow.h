#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QLineEdit;

namespace Ui {
class TicketFormatWindow;
}

namespace quorrel {

struct Session;

// Load format: the stored ticket-number format into the session's copy, which every reader of
// the format uses; "查询失败！" and the copy unchanged when the read fails.
void loadTicketFormatInto(Session& session, QWidget* owner);

// Chooses the ticket-number format: a fixed prefix of zeros, or the date.
class TicketFormatWindow : public QDialog
{
    Q_OBJECT
public:
    // `rerunMainStartup` re-applies the main window's start-up (so its ticket box shows the new
    // format); `sampleBox` is the settings window's sample, when there is one.
    TicketFormatWindow(Session& session, std::function<void()> rerunMainStartup, QLineEdit* sampleBox = nullptr,
                       QWidget* parent = nullptr);
    ~TicketFormatWindow() override;

private:
    void loadFormatIntoUnits();
    void customPrefixClicked(bool checked);
    void datePrefixClicked(bool checked);
    void confirmClicked();

    std::unique_ptr<Ui::TicketFormatWindow> m_ui;
    Session& m_session;
    std::function<void()> m_rerunMainStartup;
    QLineEdit* m_sampleBox;
};

} // namespace quorrel
