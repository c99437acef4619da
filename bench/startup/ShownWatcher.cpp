#include "startup/ShownWatcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <unistd.h>

namespace quorrel::bench {

ShownWatcher::ShownWatcher(std::function<QWidget*()> window) : m_window(std::move(window)) {}

bool ShownWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (m_seen || event->type() != QEvent::Expose)
        return false;
    QWidget* widget = m_window();
    QWindow* window = widget ? widget->windowHandle() : nullptr;
    if (!window || watched != window || !window->isExposed())
        return false;
    m_seen = true;
    // The expose event paints the window once this filter lets it through; report after that.
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        static const char kShown[] = "shown\n";
        [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, kShown, sizeof kShown - 1);
        QCoreApplication::quit();
    });
    return false;
}

} // namespace quorrel::bench
