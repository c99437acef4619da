#include "gui/receipt/PrinterSelectWindow.h"

#include "ui_PrinterSelectWindow.h"

#include "core/receipt/CupsDestinations.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>

namespace quorrel {

PrinterSelectWindow::PrinterSelectWindow(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PrinterSelectWindow>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    connect(m_ui->按钮_保存, &QPushButton::clicked, this, &PrinterSelectWindow::saveClicked);
    connect(m_ui->按钮1, &QPushButton::clicked, this, &QDialog::reject);
    loadPrinters();
}

PrinterSelectWindow::~PrinterSelectWindow() = default;

// The list is filled once, when the window opens.
void PrinterSelectWindow::loadPrinters()
{
    QComboBox* list = m_ui->组合框_打印机名称;
    list->clear();
    QString error;
    const std::optional<QStringList> names = localPrinterNames(&error);
    if (!names) {
        qWarning().noquote() << "printer list:" << error;
        MessageBox::show(this, kEnumerationFailed);
        return;
    }
    list->addItems(*names);
    // CUPS lists queues by name, so a name comes before the longer names that begin with it and the
    // prefix search lands on the default itself. Without a default nothing is selected.
    list->setCurrentIndex(findPrinterByPrefix(*names, userDefaultPrinter()));
}

void PrinterSelectWindow::saveClicked()
{
    const QComboBox* list = m_ui->组合框_打印机名称;
    if (list->currentIndex() < 0) {
        MessageBox::show(this, kNoPrinterChosen);
        return;
    }
    QString error;
    if (!setUserDefaultPrinter(list->currentText(), &error)) {
        qWarning().noquote() << "default printer:" << error;
        MessageBox::show(this, kSaveFailed);
    }
}

} // namespace quorrel
