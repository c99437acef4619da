#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quorrel {

// Every file dialog of the program goes through here.
class FileDialog
{
public:
    enum class Mode
    {
        Open,
        Save
    };

    // The chosen path, or an empty text when the user cancelled.
    static QString openFileName(QWidget* owner, const QString& caption, const QString& filter,
                                const QString& directory = QString());
    static QString saveFileName(QWidget* owner, const QString& caption, const QString& filter,
                                const QString& directory = QString());

    // Tests answer dialogs here instead of showing them; an empty hook restores real dialogs.
    using Hook = std::function<QString(Mode, const QString& caption, const QString& filter)>;
    static void setTestHook(Hook hook);
};

} // namespace quorrel
