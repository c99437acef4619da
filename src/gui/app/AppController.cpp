#include "gui/app/AppController.h"

#include "gui/app/LoginWindow.h"
#include "gui/app/MainWindow.h"

namespace quorrel {

AppController::AppController(QString databasePath, QString lockPath, QObject* parent)
    : QObject(parent), m_instance(std::move(lockPath)), m_databasePath(std::move(databasePath))
{}

AppController::~AppController()
{
    delete m_main.data();
    m_login.reset();
    m_session.db.Close();
}

MainWindow* AppController::Main() const
{
    return m_main.data();
}

bool AppController::Start()
{
    m_login = std::make_unique<LoginWindow>(m_session, m_instance, m_databasePath);
    connect(m_login.get(), &LoginWindow::loggedIn, this, &AppController::OpenMainWindow, Qt::QueuedConnection);
    connect(m_login.get(), &QDialog::finished, this, &AppController::LoginWindowClosed);
    return m_login->Start() != LoginWindow::StartResult::EndProgram;
}

void AppController::OpenMainWindow()
{
    if (m_main)
        return;
    m_main = new MainWindow(m_session);
    m_main->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_main, &QObject::destroyed, this, &AppController::MainWindowDestroyed);
    m_main->RunStartupRoutine();
    m_login->hide();
    m_main->show();
    m_main->activateWindow();
}

void AppController::LoginWindowClosed()
{
    // Hiding the login window for the main window does not finish it; closing it before a login does.
    if (!m_main) {
        m_session.db.Close();
        emit finished();
    }
}

void AppController::MainWindowDestroyed()
{
    m_session.db.Close();
    emit finished();
}

} // namespace quorrel
