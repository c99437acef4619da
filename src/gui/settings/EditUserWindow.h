#pragma once

#include "core/shop/Users.h"

#include <QDialog>

#include <memory>

namespace Ui {
class EditUserWindow;
}

namespace quorrel {

struct Session;

// Changes a user's name, role or password; empty password boxes keep the stored password.
class EditUserWindow : public QDialog
{
    Q_OBJECT
public:
    EditUserWindow(Session& session, User user, QWidget* parent = nullptr);
    ~EditUserWindow() override;

signals:
    void userChanged();

private:
    void changeClicked();

    std::unique_ptr<Ui::EditUserWindow> m_ui;
    Session& m_session;
    User m_user;
};

} // namespace quorrel
