#include "gui/app/AppController.h"

#include "gui/app/Launcher.h"
#include "gui/app/LoginWindow.h"
#include "gui/app/MainWindow.h"

#include <QDebug>

namespace quorrel {

AppController::AppController(QString databasePath, QObject* parent)
    : QObject(parent), m_instance(SingleInstance::lockPathFor(databasePath)), m_databasePath(std::move(databasePath))
{}

AppController::~AppController()
{
    delete m_main.data();
    m_login.reset();
    m_session.db.close();
}

MainWindow* AppController::main() const
{
    return m_main.data();
}

bool AppController::start()
{
    m_login = std::make_unique<LoginWindow>(m_session, m_instance, m_databasePath);
    connect(m_login.get(), &LoginWindow::loggedIn, this, &AppController::openMainWindow, Qt::QueuedConnection);
    connect(m_login.get(), &QDialog::finished, this, &AppController::loginWindowClosed);
    return m_login->start() != LoginWindow::StartResult::EndProgram;
}

void AppController::openMainWindow()
{
    if (m_main)
        return;
    m_main = new MainWindow(m_session);
    m_main->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_main, &QObject::destroyed, this, &AppController::mainWindowDestroyed);
    connect(m_main, &MainWindow::newCopyRequested, this, &AppController::startNewCopy);
    m_main->runStartupRoutine();
    m_login->hide();
    m_main->show();
    m_main->activateWindow();
}

void AppController::startNewCopy()
{
    // The new copy must find the database closed and the lock free, not this copy still running.
    m_session.db.close();
    m_instance.release();
    if (!Launcher::startNewCopy())
        qWarning() << "could not start a new copy of the program";
}

void AppController::loginWindowClosed()
{
    // Hiding the login window for the main window does not finish it; closing it before a login does.
    if (!m_main) {
        m_session.db.close();
        emit finished();
    }
}

void AppController::mainWindowDestroyed()
{
    m_session.db.close();
    emit finished();
}

} // namespace quorrel
