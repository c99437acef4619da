#pragma once

#include "core/receipt/PainterPrinter.h"

#include <memory>

class QPrinter;
class QTemporaryFile;
class QWidget;

namespace quorrel {

// The receipt printer: the system's default printer (CUPS), at the printer's own resolution so
// that the dotted hairlines stay dotted. Only when there is no default printer is the print dialog
// shown. A job the queue refuses, or that CUPS aborts or cannot go on with, is not printed. The job
// is handed to CUPS and followed on a worker thread: meanwhile the windows keep painting, user input
// waits, and the wait cursor shows.
class SystemPrinter : public PainterPrinter
{
public:
    explicit SystemPrinter(QWidget* dialogOwner = nullptr);
    ~SystemPrinter() override;

    static inline const QString kJobName = QStringLiteral("未命名打印作业");

protected:
    QPaintDevice* beginDevice() override;
    bool newPage() override;
    int pageHeight() const override;
    bool finishDevice() override;

private:
    bool spoolForQueue();
    // Hands the spooled document to the queue and follows the job, off the GUI thread; false, with
    // the reason in `error`, when it is not printed.
    bool submitAndFollow(QString* error);

    QWidget* m_dialogOwner;
    std::unique_ptr<QPrinter> m_printer;
    QString m_queue;                         // the CUPS queue the job goes to; empty for a file
    std::unique_ptr<QTemporaryFile> m_spool; // the document until CUPS takes it
};

} // namespace quorrel
