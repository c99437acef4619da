#pragma once

#include <QDialog>

#include <memory>
#include <optional>

namespace Ui {
class LoginWindow;
}

namespace quorrel {

struct Session;
class SingleInstance;

// The start window: opens the database, then logs the remembered user in directly or asks for a
// user name and password.
class LoginWindow : public QDialog
{
    Q_OBJECT
public:
    LoginWindow(Session& session, SingleInstance& instance, QString databasePath, QWidget* parent = nullptr);
    ~LoginWindow() override;

    enum class StartResult
    {
        EndProgram,  // a second copy, or a new copy was started instead
        LoginShown,  // waiting for the user (also when the database could not be opened)
        DirectLogin, // the remembered user is logged in; the main window follows
    };
    // The start-up handler: single-instance check, database, direct or pre-filled login.
    StartResult start();

signals:
    // A user is logged in (by password or directly): the main window opens.
    void loggedIn();

private:
    bool checkSingleInstance();
    enum class DatabaseResult
    {
        Opened,
        Failed,
        Restart
    };
    DatabaseResult ensureAndOpenDatabase();
    // A shop on a PostgreSQL server: connected, or made on an empty database when the user agrees.
    DatabaseResult openServerDatabase();
    bool directOrPrefilledLogin();
    void prefill();

    void refillUserList();
    void directLoginClicked();
    void loginClicked();

    std::unique_ptr<Ui::LoginWindow> m_ui;
    Session& m_session;
    SingleInstance& m_instance;
    QString m_databasePath;
};

} // namespace quorrel
