#include "gui/widgets/BusyProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace quorrel {

BusyProgress::BusyProgress(QString label) : m_label(std::move(label))
{
    m_clock.start();
}

BusyProgress::~BusyProgress() = default;

void BusyProgress::tick()
{
    if (!m_dialog && m_clock.elapsed() >= kShowAfterMs) {
        m_dialog = std::make_unique<QProgressDialog>(m_label, QString(), 0, 0);
        m_dialog->setObjectName(QStringLiteral("进度"));
        m_dialog->setWindowTitle(QStringLiteral("请稍候"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setCancelButton(nullptr);
        m_dialog->show();
    }
    if (m_dialog)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace quorrel
