#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class PreviewWindow;
}

namespace quorrel {

class ReceiptPrinting;
struct Session;

// The receipt of the sale in the main window, drawn on screen at its printed size. It prints
// nothing.
class PreviewWindow : public QDialog
{
    Q_OBJECT
public:
    PreviewWindow(ReceiptPrinting& receipts, QWidget* mainWindow);
    ~PreviewWindow() override;

    // Draws the receipt once; run when the window has been made.
    void showPreview();

private:
    std::unique_ptr<Ui::PreviewWindow> m_ui;
    ReceiptPrinting& m_receipts;
    QWidget* m_mainWindow;
};

} // namespace quorrel
