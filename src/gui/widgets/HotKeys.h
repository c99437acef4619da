#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace quorrel {

// Enter (both Return keys) and F5 belong to `window` while it is the active window: they run their
// commands and never reach the focused box. With another window active they do nothing here.
class HotKeys : public QObject
{
    Q_OBJECT
public:
    HotKeys(QWidget* window, std::function<void()> onEnter, std::function<void()> onF5);
    ~HotKeys() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    std::function<void()> m_onEnter;
    std::function<void()> m_onF5;
    bool m_enterPicked = false; // an open list took this Enter as its pick
};

} // namespace quorrel
