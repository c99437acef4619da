#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quorrel {

enum class MessageButtons
{
    Ok,
    YesNo
};
enum class MessageIcon
{
    None,
    Information,
    Error
};
enum class MessageAnswer
{
    Ok,
    Yes,
    No
};

// What a message box showed, for the test hook.
struct ShownMessage
{
    QString text;
    QString caption;
    QString ownerClass; // class name of the owner window, empty without one
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
};

// Every message box of the program goes through here. A box is modal for the whole program.
class MessageBox
{
public:
    static inline const QString kDefaultCaption = QStringLiteral("信息：");

    static MessageAnswer show(const QString& text, const QString& caption = kDefaultCaption, QWidget* owner = nullptr,
                              MessageButtons buttons = MessageButtons::Ok, MessageIcon icon = MessageIcon::None);

    // The common shapes.
    static void inform(const QString& text, QWidget* owner = nullptr) { show(text, kDefaultCaption, owner); }
    static void error(const QString& text, const QString& caption = kDefaultCaption, QWidget* owner = nullptr)
    {
        show(text, caption, owner, MessageButtons::Ok, MessageIcon::Error);
    }
    // True only on Yes.
    static bool ask(const QString& text, QWidget* owner = nullptr, const QString& caption = kDefaultCaption)
    {
        return show(text, caption, owner, MessageButtons::YesNo) == MessageAnswer::Yes;
    }

    // Tests answer boxes here instead of showing them; an empty hook restores real boxes.
    using Hook = std::function<MessageAnswer(const ShownMessage&)>;
    static void setTestHook(Hook hook);
};

} // namespace quorrel
