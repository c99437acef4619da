#pragma once

#include "core/receipt/PainterPrinter.h"

#include <memory>

class QPrinter;
class QTemporaryFile;
class QWidget;

namespace quorrel {

// The receipt printer: the system's default printer (CUPS), at the printer's own resolution so
// that the dotted hairlines stay dotted. Only when there is no default printer is the print dialog
// shown, by prepareDocument() on the windows' thread. A job the queue refuses, or that CUPS aborts or
// cannot go on with, is not printed. Ending a document hands the job to CUPS and follows it for up
// to two seconds: draw it off the GUI thread.
class SystemPrinter : public PainterPrinter
{
public:
    explicit SystemPrinter(QWidget* dialogOwner = nullptr);
    ~SystemPrinter() override;

    // Chooses the printer for the next document: the default one, or the one the user picks in the
    // print dialog when there is none.
    bool prepareDocument() override;

    static inline const QString kJobName = QStringLiteral("未命名打印作业");

protected:
    QPaintDevice* beginDevice() override;
    bool newPage() override;
    int pageHeight() const override;
    bool finishDevice() override;

private:
    bool spoolForQueue();
    // Hands the spooled document to the queue and follows the job; false, with the reason in
    // `error`, when it is not printed.
    bool submitAndFollow(QString* error);

    QWidget* m_dialogOwner;
    std::unique_ptr<QPrinter> m_printer;
    bool m_prepared = false;                 // m_printer is chosen for the next document
    QString m_queue;                         // the CUPS queue the job goes to; empty for a file
    std::unique_ptr<QTemporaryFile> m_spool; // the document until CUPS takes it
};

} // namespace quorrel
