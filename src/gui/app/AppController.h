#pragma once

#include "core/shop/Session.h"
#include "gui/app/SingleInstance.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace quorrel {

class LoginWindow;
class MainWindow;

// Runs the program's life: the login window's start-up, the main window after a login, and the
// end of the program when the main window (or the login window before it) closes.
class AppController : public QObject
{
    Q_OBJECT
public:
    // The program on the database at `databasePath`; its single-instance lock lies beside it.
    explicit AppController(QString databasePath, QObject* parent = nullptr);
    ~AppController() override;

    // False when the program ends at once (a second copy, or a new copy was started instead).
    bool start();

    Session& currentSession() { return m_session; }
    LoginWindow* login() const { return m_login.get(); }
    MainWindow* main() const;

signals:
    // The program's work is over: the main window closed, or the login window did before it.
    void finished();

private:
    void openMainWindow();
    void startNewCopy();
    void loginWindowClosed();
    void mainWindowDestroyed();

    Session m_session;
    SingleInstance m_instance;
    QString m_databasePath;
    std::unique_ptr<LoginWindow> m_login;
    QPointer<MainWindow> m_main;
};

} // namespace quorrel
