#include "gui/widgets/HotKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <utility>

namespace quorrel {

HotKeys::HotKeys(QWidget* window, std::function<void()> onEnter, std::function<void()> onF5)
    : QObject(window), m_window(window), m_onEnter(std::move(onEnter)), m_onF5(std::move(onF5))
{
    qApp->installEventFilter(this);
}

HotKeys::~HotKeys()
{
    qApp->removeEventFilter(this);
}

bool HotKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride && type != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    // An open drop-down list picks its entry on the override that comes before the press and closes;
    // the press that follows finds no list open, yet it is the same Enter: it adds nothing.
    const bool picked = type == QEvent::KeyPress && std::exchange(m_enterPicked, false);
    if (QApplication::activePopupWidget()) {
        if (enter && type == QEvent::ShortcutOverride)
            m_enterPicked = true;
        return QObject::eventFilter(watched, event);
    }
    if (QApplication::activeWindow() != m_window || QApplication::activeModalWidget())
        return QObject::eventFilter(watched, event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool f5 = key->key() == Qt::Key_F5;
    if (modifiers != Qt::NoModifier || (!enter && !f5))
        return QObject::eventFilter(watched, event);
    // Only the press runs the command; override and release are swallowed so no box sees the key.
    if (type == QEvent::KeyPress && !key->isAutoRepeat() && !(enter && picked)) {
        if (enter && m_onEnter)
            m_onEnter();
        else if (f5 && m_onF5)
            m_onF5();
    }
    event->accept();
    return true;
}

} // namespace quorrel
