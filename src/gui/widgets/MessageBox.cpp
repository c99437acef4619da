#include "gui/widgets/MessageBox.h"

#include <QDebug>
#include <QMessageBox>
#include <QWidget>

namespace quorrel {

namespace {
MessageBox::Hook g_hook;
}

void MessageBox::setTestHook(Hook hook)
{
    g_hook = std::move(hook);
}

void MessageBox::show(QWidget* owner, const QString& text, const QString& caption)
{
    present(owner, text, caption, MessageButtons::Ok, MessageIcon::None);
}

void MessageBox::information(QWidget* owner, const QString& text, const QString& caption)
{
    present(owner, text, caption, MessageButtons::Ok, MessageIcon::Information);
}

void MessageBox::critical(QWidget* owner, const QString& text, const QString& caption)
{
    present(owner, text, caption, MessageButtons::Ok, MessageIcon::Error);
}

bool MessageBox::question(QWidget* owner, const QString& text, const QString& caption)
{
    return present(owner, text, caption, MessageButtons::YesNo, MessageIcon::None) == MessageAnswer::Yes;
}

void MessageBox::failed(QWidget* owner, const QString& text, const QString& why, const QString& caption)
{
    qWarning().noquote() << text << why;
    show(owner, text, caption);
}

MessageAnswer MessageBox::present(QWidget* owner, const QString& text, const QString& caption, MessageButtons buttons,
                                  MessageIcon icon)
{
    if (g_hook) {
        ShownMessage shown{text, caption, QString(), buttons, icon};
        if (owner)
            shown.ownerClass = QString::fromLatin1(owner->window()->metaObject()->className());
        return g_hook(shown);
    }

    QMessageBox box(owner ? owner->window() : nullptr);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setWindowModality(Qt::ApplicationModal);
    switch (icon) {
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

} // namespace quorrel
