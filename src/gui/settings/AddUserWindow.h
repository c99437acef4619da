#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AddUserWindow;
}

namespace quorrel {

class Users;

// Adds a user with a role and a password; stays open for the next one.
class AddUserWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AddUserWindow(Users& users, QWidget* parent = nullptr);
    ~AddUserWindow() override;

private:
    void addClicked();

    std::unique_ptr<Ui::AddUserWindow> m_ui;
    Users& m_users;
};

} // namespace quorrel
