#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AddUserWindow;
}

namespace quorrel {

struct Session;

// Adds a user with a role and a password; stays open for the next one.
class AddUserWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AddUserWindow(Session& session, QWidget* parent = nullptr);
    ~AddUserWindow() override;

signals:
    void userAdded();

private:
    void addClicked();

    std::unique_ptr<Ui::AddUserWindow> m_ui;
    Session& m_session;
};

} // namespace quorrel
