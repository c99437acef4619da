#include "gui/widgets/FileDialog.h"

#include "gui/widgets/MessageBox.h"

#include <QFileDialog>
#include <QFileInfo>

namespace quorrel {

namespace {
FileDialog::Hook g_hook;
FileDialog::SaveRequest g_lastSave;
} // namespace

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

namespace quorrel {

FileDialog::SaveRequest FileDialog::lastSaveRequest()
{
    return g_lastSave;
}

QString FileDialog::saveFileNameAs(QWidget* owner, const QString& caption, const QString& filter,
                                   const QString& presetName, const QString& defaultSuffix)
{
    g_lastSave = SaveRequest{filter, presetName, defaultSuffix};
    QString chosen;
    if (g_hook) {
        chosen = g_hook(Mode::Save, caption, filter);
    } else {
        // A dialog of its own every time: no filter or suffix of another feature carries over.
        QFileDialog dialog(owner, caption, QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix.startsWith(u'.') ? defaultSuffix.mid(1) : defaultSuffix);
        // The question below is asked for every way a name is chosen, so the dialog asks none.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.selectFile(presetName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty())
        return QString();
    if (!defaultSuffix.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += defaultSuffix.startsWith(u'.') ? defaultSuffix : u'.' + defaultSuffix;
    if (QFileInfo::exists(chosen) &&
        !MessageBox::question(owner, QStringLiteral("文件“%1”已存在，是否替换？").arg(QFileInfo(chosen).fileName()),
                              QStringLiteral("提示")))
        return QString();
    return chosen;
}

} // namespace quorrel
