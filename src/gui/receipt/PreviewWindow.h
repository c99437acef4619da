#pragma once

#include "core/receipt/ReceiptLayout.h"

#include <QDialog>

#include <memory>

namespace Ui {
class PreviewWindow;
}

namespace quorrel {

class ReceiptPrinting;

// The receipt of a sale, drawn on screen at its printed size beside the main window. It prints
// nothing.
class PreviewWindow : public QDialog
{
    Q_OBJECT
public:
    PreviewWindow(ReceiptPrinting& receipts, ReceiptContent content, QWidget* mainWindow);
    ~PreviewWindow() override;

    // Draws the receipt once; run when the window has been made.
    void showPreview();

private:
    std::unique_ptr<Ui::PreviewWindow> m_ui;
    ReceiptPrinting& m_receipts;
    ReceiptContent m_content;
    QWidget* m_mainWindow;
};

} // namespace quorrel
