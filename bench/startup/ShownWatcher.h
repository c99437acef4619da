#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace quorrel::bench {

// Ends a start-up program once its window is on screen: when the window named by `window` has been
// exposed (and so painted), writes "shown" on standard output for the timing parent and quits the
// event loop. Install it on the application before the window is shown.
class ShownWatcher : public QObject
{
public:
    explicit ShownWatcher(std::function<QWidget*()> window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<QWidget*()> m_window;
    bool m_seen = false;
};

} // namespace quorrel::bench
