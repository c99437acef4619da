#include "gui/receipt/PreviewWindow.h"

#include "ui_PreviewWindow.h"

#include "gui/receipt/ReceiptPrinting.h"

namespace quorrel {

namespace {
constexpr int kDesignedLeft = 50;
}

PreviewWindow::PreviewWindow(ReceiptPrinting& receipts, ReceiptContent content, QWidget* mainWindow)
    : QDialog(mainWindow), m_ui(std::make_unique<Ui::PreviewWindow>()), m_receipts(receipts),
      m_content(std::move(content)), m_mainWindow(mainWindow)
{
    m_ui->setupUi(this);
    showPreview();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::showPreview()
{
    if (m_mainWindow) {
        const QRect main = m_mainWindow->geometry();
        setGeometry(kDesignedLeft, main.top(), width(), main.height());
        m_ui->标签1->move(m_ui->标签1->x(), qMin(m_ui->标签1->y(), height() - m_ui->标签1->height() - 4));
    }
    const ReceiptSettings settings = m_receipts.readSettings();
    if (settings.paperMargin != 0)
        m_ui->画板1->move(m_ui->画板1->x() + settings.paperMargin, m_ui->画板1->y());
    ImagePrinter& board = m_ui->画板1->beginDrawing();
    layOutReceipt(board, m_content, settings, ReceiptStyle::Preview);
    m_ui->画板1->endDrawing();
}

} // namespace quorrel
