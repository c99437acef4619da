#include "gui/receipt/PrinterSelectWindow.h"

#include "ui_PrinterSelectWindow.h"

#include "core/receipt/CupsDestinations.h"
#include "core/receipt/OffThread.h"
#include "core/receipt/ReceiptLayout.h"
#include "core/receipt/ThermalPrinter.h"
#include "core/store/Clock.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>
#include <QGuiApplication>

namespace quorrel {

namespace {

const QString kHint = QStringLiteral("提示:");

// The order of 组合框_连接方式.
const RawConnection::Kind kKinds[] = {RawConnection::Kind::Device, RawConnection::Kind::Network,
                                      RawConnection::Kind::CupsQueue};

// A short receipt through the whole layout: fonts, rules, an item line and the remark.
ReceiptContent testReceipt(const ThermalSettings& settings)
{
    ReceiptContent content;
    content.shopName = QStringLiteral("测试打印");
    content.ticketNumber = QStringLiteral("0000000000000");
    content.time = Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    content.items.append(
        {QStringLiteral("测试商品"), QStringLiteral("1"), QStringLiteral("1.00"), QStringLiteral("1.00")});
    content.totalQuantity = QStringLiteral("1");
    content.totalAmount = content.totalDiscounted = content.received = QStringLiteral("1.00");
    content.change = QStringLiteral("0.00");
    content.remark = QStringLiteral("%1 mm 纸，%2").arg(settings.paperMillimetres).arg(settings.connection.describe());
    return content;
}

} // namespace

PrinterSelectWindow::PrinterSelectWindow(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PrinterSelectWindow>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    connect(m_ui->按钮_保存, &QPushButton::clicked, this, &PrinterSelectWindow::saveClicked);
    connect(m_ui->按钮1, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->按钮_测试打印, &QPushButton::clicked, this, &PrinterSelectWindow::testClicked);
    connect(m_ui->组合框_连接方式, &QComboBox::currentIndexChanged, this, &PrinterSelectWindow::connectionChanged);
    connect(m_ui->编辑框_地址, &QLineEdit::textChanged, this, &PrinterSelectWindow::connectionChanged);
    loadPrinters();
    loadThermal();
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

void PrinterSelectWindow::loadThermal()
{
    const ThermalSettings settings = ThermalSettings::load();
    m_ui->分组框_热敏打印机->setChecked(settings.enabled);
    for (int i = 0; i < int(std::size(kKinds)); ++i) {
        if (kKinds[i] == settings.connection.kind)
            m_ui->组合框_连接方式->setCurrentIndex(i);
    }
    m_ui->编辑框_地址->setText(settings.connection.kind == RawConnection::Kind::Network ? settings.connection.describe()
                                                                                        : settings.connection.target);
    m_ui->组合框_纸宽->setCurrentIndex(settings.paperMillimetres == 80 ? 1 : 0);
    m_ui->复选框_切纸->setChecked(settings.cut);
    m_ui->复选框_开钱箱->setChecked(settings.openDrawer);
    m_ui->复选框_不查询状态->setChecked(!settings.askStatus);
    m_ui->组合框_波特率->setCurrentText(QString::number(settings.connection.baudRate));
    connectionChanged();
}

void PrinterSelectWindow::connectionChanged()
{
    static const QString examples[] = {QStringLiteral("/dev/usb/lp0"), QStringLiteral("192.168.1.100:9100"),
                                       QStringLiteral("CUPS 队列名")};
    const int index = qBound(0, m_ui->组合框_连接方式->currentIndex(), int(std::size(examples)) - 1);
    m_ui->编辑框_地址->setPlaceholderText(examples[index]);
    // A speed is only set for a serial port.
    const bool serial =
        kKinds[index] == RawConnection::Kind::Device && isSerialPortPath(m_ui->编辑框_地址->text().trimmed());
    m_ui->标签_波特率->setEnabled(serial);
    m_ui->组合框_波特率->setEnabled(serial);
}

bool PrinterSelectWindow::thermalFromWindow(ThermalSettings& settings)
{
    settings.enabled = m_ui->分组框_热敏打印机->isChecked();
    settings.connection.kind = kKinds[qBound(0, m_ui->组合框_连接方式->currentIndex(), int(std::size(kKinds)) - 1)];
    settings.paperMillimetres = m_ui->组合框_纸宽->currentIndex() == 1 ? 80 : 58;
    settings.cut = m_ui->复选框_切纸->isChecked();
    settings.openDrawer = m_ui->复选框_开钱箱->isChecked();
    settings.askStatus = !m_ui->复选框_不查询状态->isChecked();
    settings.connection.baudRate = m_ui->组合框_波特率->currentText().toInt();
    const QString address = m_ui->编辑框_地址->text().trimmed();
    if (address.isEmpty()) {
        MessageBox::show(this, kNoAddress);
        return false;
    }
    if (settings.connection.kind == RawConnection::Kind::Network) {
        if (!settings.connection.setHostAndPort(address)) {
            MessageBox::show(this, kBadAddress);
            return false;
        }
    } else {
        settings.connection.target = address;
        settings.connection.port = RawConnection::kDefaultPort;
    }
    return true;
}

void PrinterSelectWindow::testClicked()
{
    ThermalSettings settings;
    if (!thermalFromWindow(settings))
        return;
    ThermalPrinter printer(settings);
    const ReceiptContent receipt = testReceipt(settings);
    // Sent from a worker while this window paints; a wait of up to the printer's time limit.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool printed = runOffThread([&](QString*) { return layOutReceipt(printer, receipt, ReceiptSettings{}); });
    QGuiApplication::restoreOverrideCursor();
    if (printed)
        MessageBox::show(this, kTestPrinted, kHint);
    else if (!printer.notReady().isEmpty())
        MessageBox::critical(this, ReceiptPrinting::kNotReady + printer.notReady(), kHint);
    else
        MessageBox::critical(this, kTestFailed, kHint);
}

void PrinterSelectWindow::saveClicked()
{
    ThermalSettings thermal = ThermalSettings::load();
    if (m_ui->分组框_热敏打印机->isChecked()) {
        // Receipts go to the direct printer; the system's default stays as it is.
        if (thermalFromWindow(thermal) && !thermal.save())
            MessageBox::show(this, kThermalSaveFailed);
        return;
    }
    if (thermal.enabled) {
        thermal.enabled = false;
        if (!thermal.save()) {
            MessageBox::show(this, kThermalSaveFailed);
            return;
        }
    }
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
