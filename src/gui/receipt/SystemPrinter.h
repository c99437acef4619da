#pragma once

#include "core/receipt/PainterPrinter.h"

#include <memory>

class QPrinter;
class QWidget;

namespace quorrel {

// The receipt printer: the system's default printer (CUPS), at the printer's own resolution so
// that the dotted hairlines stay dotted. Only when there is no default printer is the print dialog
// shown.
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
    QWidget* m_dialogOwner;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace quorrel
