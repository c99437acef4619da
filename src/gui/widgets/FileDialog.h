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

    // A save dialog offering `presetName` with its own filter and default suffix (".xls"), which
    // is added to a chosen name without one. An existing file is replaced only after the user
    // agrees; declining counts as cancelling. Empty when cancelled.
    static QString saveFileNameAs(QWidget* owner, const QString& caption, const QString& filter,
                                  const QString& presetName, const QString& defaultSuffix);

    // What the last saveFileNameAs offered, for tests.
    struct SaveRequest
    {
        QString filter;
        QString presetName;
        QString defaultSuffix;
    };
    static SaveRequest lastSaveRequest();

    // Tests answer dialogs here instead of showing them; an empty hook restores real dialogs.
    using Hook = std::function<QString(Mode, const QString& caption, const QString& filter)>;
    static void setTestHook(Hook hook);
};

} // namespace quorrel
