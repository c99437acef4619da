#include "gui/records/ListExport.h"

#include "core/store/Clock.h"
#include "core/store/DatabaseFiles.h"
#include "core/store/DateTexts.h"
#include "gui/widgets/FileDialog.h"
#include "gui/widgets/MessageBox.h"

#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <memory>

namespace quorrel {

namespace {

// How long work may take before its progress dialog shows: quick work only shows the wait cursor.
constexpr int kShowProgressAfterMs = 400;

// While installed on the application, drops the user's input to the windows held (none of them
// closes meanwhile). A window opened later, such as a message box, is not held.
class InputHold : public QObject
{
public:
    void hold(QWidget* window) { m_held.insert(window); }

    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() == QEvent::Shortcut)
            return true; // the shortcuts belong to the windows held
        if (!receiver->isWidgetType() || !m_held.contains(static_cast<QWidget*>(receiver)->window()))
            return false;
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return event->isInputEvent();
    }

private:
    QSet<const QWidget*> m_held; // only compared: a window held may be gone by now
};

} // namespace

void runInBackground(QWidget* owner, const QString& label, const std::function<void()>& work)
{
    InputHold hold;
    for (QWidget* window : QApplication::topLevelWidgets())
        hold.hold(window);
    qApp->installEventFilter(&hold);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    // Nothing to cancel: the work replaces or copies files and must run to its end.
    QProgressDialog progress(label, QString(), 0, 0, owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    progress.setCancelButton(nullptr);
    progress.setWindowModality(Qt::ApplicationModal);
    if (owner)
        progress.setWindowTitle(owner->windowTitle());
    hold.hold(&progress);
    QTimer showLater;
    showLater.setSingleShot(true);
    QObject::connect(&showLater, &QTimer::timeout, &progress, &QWidget::show);

    std::unique_ptr<QThread> worker(QThread::create(work));
    QEventLoop loop;
    // Queued to this thread: work that ends before exec() still ends the loop.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    showLater.start(kShowProgressAfterMs);
    loop.exec();
    worker->wait();

    showLater.stop();
    progress.hide();
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(&hold);
}

QString proposedFileName()
{
    return datePrefix(Clock::now().date()) + QStringLiteral("查询结果");
}

void exportList(QWidget* owner, QWidget* recordsWindow, bool hasRows, const QString& databasePath,
                const WorkbookWrite& write)
{
    if (!hasRows) {
        MessageBox::show(recordsWindow, QStringLiteral("没有数据可以导出！"), QStringLiteral("提示："));
        return;
    }
    const QString path = FileDialog::saveFileNameAs(owner, QStringLiteral("导出表"), QStringLiteral("*.xls (*.xls)"),
                                                    proposedFileName(), QStringLiteral(".xls"));
    if (path.isEmpty() || isDatabaseOwnFile(databasePath, path)) {
        MessageBox::show(owner, QStringLiteral("保存失败！"));
        return;
    }
    bool written = false;
    QString error;
    runInBackground(owner, QStringLiteral("正在导出，请稍候……"), [&] { written = write(path, &error); });
    if (written) {
        MessageBox::information(owner, QStringLiteral("保存成功！\r\n保存在：") + path, QStringLiteral("提示："));
    } else {
        qWarning().noquote() << "export failed:" << error;
        MessageBox::show(owner, QStringLiteral("保存失败！错误代码：01"));
    }
}

} // namespace quorrel
