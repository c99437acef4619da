#pragma once

#include <QString>

#include <functional>
#include <type_traits>
#include <utility>

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

// Every message box of the program goes through here, owner first; the name gives the icon. A box is
// modal for the whole program.
class MessageBox
{
public:
    static inline const QString kDefaultCaption = QStringLiteral("信息：");
    // What a list or a setting that could not be read says.
    static inline const QString kQueryFailed = QStringLiteral("查询失败！");

    // A message without an icon.
    static void show(QWidget* owner, const QString& text, const QString& caption = kDefaultCaption);
    static void information(QWidget* owner, const QString& text, const QString& caption = kDefaultCaption);
    static void critical(QWidget* owner, const QString& text, const QString& caption = kDefaultCaption);
    // Yes/No; true only on Yes.
    static bool question(QWidget* owner, const QString& text, const QString& caption = kDefaultCaption);

    // An operation failed: `why` goes to the log, `text` (without an icon) to the user.
    static void failed(QWidget* owner, const QString& text, const QString& why,
                       const QString& caption = kDefaultCaption);
    // The value read, or, when the read failed, "查询失败！" shown and `fallback`.
    template <typename Answer, typename T = std::remove_cvref_t<decltype(*std::declval<Answer>())>>
    static T valueOrReport(QWidget* owner, const Answer& read, T fallback = T())
    {
        if (read)
            return *read;
        failed(owner, kQueryFailed, read.error());
        return fallback;
    }

    // Tests answer boxes here instead of showing them; an empty hook restores real boxes.
    using Hook = std::function<MessageAnswer(const ShownMessage&)>;
    static void setTestHook(Hook hook);

private:
    static MessageAnswer present(QWidget* owner, const QString& text, const QString& caption, MessageButtons buttons,
                                 MessageIcon icon);
};

} // namespace quorrel
