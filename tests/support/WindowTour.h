#pragma once

#include "support/AppDriver.h"

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

namespace quorrel::test {

// Pairs {upper, lower} of units a window puts one over the other by design.
using Overlays = QList<QPair<QString, QString>>;

// The program with a shop that has something in every window: two sales stored today (one of them
// large, at the longest date and time of the year), a third being rung up, a customer and a second
// user. visitEveryWindow opens every window in turn, the way a user reaches it.
class WindowTour : public AppTest
{
protected:
    using Visit = std::function<void(const QString& name, QWidget* window, const Overlays& onPurpose)>;

    void SetUp() override;
    void TearDown() override;

    // Calls `visit` with each window as shown: the login window, the main window with its customer
    // area, the records, sale detail and search windows, the settings window on each of its pages,
    // the logo, printer, ticket format, add user and edit user windows, the payment methods, the
    // customers and the preview. 16 visits in all.
    void visitEveryWindow(const Visit& visit);

    void trigger(QWidget* window, const char16_t* action);

    // Runs `body` on the window that `open` brings up, then closes it: a window run in its own
    // event loop (exec) as well as one only shown modally.
    void inWindow(const std::function<void()>& open, const std::function<void(QWidget*)>& body);
};

} // namespace quorrel::test
