#include "gui/widgets/FileDialog.h"

#include <QFileDialog>

namespace quorrel {

namespace {
FileDialog::Hook g_hook;
}

void FileDialog::setTestHook(Hook hook)
{
    g_hook = std::move(hook);
}

QString FileDialog::openFileName(QWidget* owner, const QString& caption, const QString& filter,
                                 const QString& directory)
{
    if (g_hook)
        return g_hook(Mode::Open, caption, filter);
    return QFileDialog::getOpenFileName(owner, caption, directory, filter);
}

QString FileDialog::saveFileName(QWidget* owner, const QString& caption, const QString& filter,
                                 const QString& directory)
{
    if (g_hook)
        return g_hook(Mode::Save, caption, filter);
    return QFileDialog::getSaveFileName(owner, caption, directory, filter);
}

} // namespace quorrel
