#pragma once

#include "gui/app/AppController.h"
#include "support/Hooks.h"
#include "support/TestDatabase.h"

#include <QTest>
#include <QWidget>

class QAction;
class QMenu;

#include <functional>
#include <memory>

namespace quorrel {
class MainWindow;
}

namespace quorrel::test {

// A unit of a window by its name; fails the test when it is missing.
template <typename T> T* Unit(QWidget* window, const QString& name)
{
    T* unit = window ? window->findChild<T*>(name) : nullptr;
    EXPECT_NE(unit, nullptr) << "no unit " << name.toStdString();
    return unit;
}

// The item of the menu with that text; fails the test when there is none.
QAction* menuItem(const QMenu* menu, const QString& text);

// The rows a list view of the window shows, each as its columns' texts joined by spaces.
QStringList listedRows(QWidget* window, const QString& list = QStringLiteral("超级列表框1"));

// Types plain text into the focused or given widget one character at a time (works for Chinese).
void typeText(QWidget* widget, const QString& text);

// Runs the program against a shop directory of the test's own, the way main() does.
class AppTest : public HookedTest
{
protected:
    void TearDown() override;

    // Starts (or restarts) the program; false when it ended at once.
    bool startProgram();
    // Destroys the running program, as its end does, so the next StartProgram is a new run.
    void endProgram();

    // Logs in through the login window; true when the main window opened.
    bool logIn(const QString& name, const QString& password);

    // Starts the program and logs in; the main window is then the active window.
    MainWindow* openMainWindow(const QString& name = QStringLiteral("admin"), const QString& password = QString());

    // Runs `body` on the modal window that `open` brings up, then closes it.
    void inModal(const std::function<void()>& open, const std::function<void(QWidget*)>& body);
    // Clicks the button of `window` with that name.
    void click(QWidget* window, const char16_t* button);

    // Fills the entry boxes of the main window and presses Enter.
    void enterLine(const QString& name, const QString& quantity, const QString& price);

    // Waits until every receipt handed to a printer is printed and reported (they are sent on a
    // thread of their own); fails the test when they are not within `timeoutMs`.
    void waitForReceipts(int timeoutMs = 15000);

    // Adds a user with the given role and password.
    void addUser(const QString& name, const QString& role, const QString& password);

    QWidget* loginWindowWidget() const;
    QWidget* mainWindowWidget() const;

    TempShop shop;
    // The database the program starts on when not the shop's file (a server's connection).
    QString database;
    std::unique_ptr<AppController> app;
    int finishedCount = 0;
};

} // namespace quorrel::test
