#include "gui/app/MainWindow.h"

#include "ui_MainWindow.h"

#include "core/receipt/LogoStore.h"
#include "core/sales/DiscountRates.h"
#include "core/shop/Session.h"
#include "core/shop/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Conversions.h"
#include "core/store/DateTexts.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/app/Launcher.h"
#include "gui/receipt/LogoWindow.h"
#include "gui/receipt/PreviewWindow.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/records/SalesRecordsWindow.h"
#include "gui/sales/Checkout.h"
#include "gui/sales/LineItems.h"
#include "gui/sales/ProductLookup.h"
#include "gui/tickets/TicketFormatWindow.h"
#include "gui/widgets/HotKeys.h"
#include "gui/widgets/MessageBox.h"
#include "gui/widgets/StoreAccess.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTimer>

namespace quorrel {

namespace {

// The window is as wide as the sales area; the customer and phone units lie to its right and are
// shown by widening the window.
constexpr int kWideWidth = 1150;

const int kListWidths[] = {50, 210, 80, 80, 100, 95};

} // namespace

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::MainWindow>()), m_session(session)
{
    m_ui->setupUi(this);
    m_narrowWidth = width();
    setFixedSize(size());

    QTreeWidget* list = m_ui->超级列表框1;
    list->header()->setStretchLastSection(false);
    for (int column = 0; column < 6; ++column) {
        list->setColumnWidth(column, kListWidths[column]);
        list->headerItem()->setTextAlignment(column, column < 2 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    }
    m_ui->组合框_折扣->addItems(discountRates());
    m_ui->组合框_实收->setCurrentIndex(-1);
    m_ui->组合框_实收->setEditText(QString());

    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("时钟1"));
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &MainWindow::tickClock);

    m_products = new ProductLookup(*m_ui, m_session.db, this);
    m_lines = new LineItems(*m_ui, *m_products, this);
    m_checkout = new Checkout(*m_ui, m_session, *m_lines, this);
    m_receipts = new ReceiptPrinting(*m_ui, m_session, this);
    m_checkout->setReceiptPrinter([this] { m_receipts->printReceipt(); });
    connect(this, &MainWindow::previewRequested, this, &MainWindow::openPreview);
    connect(this, &MainWindow::addLineRequested, m_lines, &LineItems::addLine);
    connect(this, &MainWindow::printRequested, m_checkout, &Checkout::printAndSave);
    connect(this, &MainWindow::saveOnlyRequested, m_checkout, [this] { m_checkout->saveSale(); });

    connect(m_ui->按钮_添加商品, &QPushButton::clicked, this, &MainWindow::addLineRequested);
    connect(m_ui->按钮_打印小票, &QPushButton::clicked, this, &MainWindow::printRequested);
    connect(m_ui->按钮_仅保存小票, &QPushButton::clicked, this, &MainWindow::saveOnlyRequested);
    connect(m_ui->按钮_打印预览, &QPushButton::clicked, this, &MainWindow::previewRequested);
    connect(m_ui->按钮_客户栏, &QPushButton::toggled, this, &MainWindow::showCustomerArea);
    connect(m_ui->菜单_计算器, &QAction::triggered, this, &MainWindow::openCalculator);
    connect(m_ui->菜单_记事本, &QAction::triggered, this, &MainWindow::openTextEditor);
    connect(m_ui->菜单_统计销售, &QAction::triggered, this, [this] {
        auto* records = new SalesRecordsWindow(m_session, this);
        records->setAttribute(Qt::WA_DeleteOnClose);
        records->setWindowModality(Qt::ApplicationModal);
        // The database file was replaced: a new copy starts on it and this one ends.
        connect(records, &SalesRecordsWindow::restartRequested, this, [this] {
            if (!Launcher::startNewCopy())
                qWarning() << "could not start a new copy of the program";
            close();
        });
        records->show();
    });

    // Their windows come with later parts of the program.
    m_ui->菜单_软件设置->setEnabled(false);
    for (QPushButton* pending : {m_ui->按钮_设置客户, m_ui->按钮_付款方式})
        pending->setEnabled(false);
}

MainWindow::~MainWindow()
{
    // The sale's helpers watch the window's units: they go before the units do.
    delete m_checkout;
    delete m_lines;
    delete m_products;
    delete m_receipts;
}

void MainWindow::runStartupRoutine()
{
    lookUpRole();
    if (!m_hotKeys)
        m_hotKeys = new HotKeys(
            this, [this] { emit addLineRequested(); }, [this] { emit printRequested(); });
    QCoreApplication::processEvents();
    setWindowTitle(QStringLiteral("Quorrelv1.0          收银员：") + m_session.currentUser + u'(' +
                   m_session.currentRole + u')');
    m_ui->编辑框_收银员->setText(m_session.currentUser);
    applyRoleToCashierUnits();
    loadTicketFormatInto(m_session, this);
    fillPaymentMethods();
    m_ui->编辑框_备注->setPlainText(ui::readSetting(m_session.db, QStringLiteral("备注"), this));
    m_ui->编辑框_店名->setText(ui::readSetting(m_session.db, QStringLiteral("店名"), this));
    showStartupTicketNumber();
    applyPhoneSetting();
    applyCustomerSetting();
    applyDiscountSetting();
    applyPaymentMethodSetting();
    loadPrintSettings();
    m_ui->按钮_删除->setEnabled(false);
    m_ui->按钮_修改->setEnabled(false);
    m_ui->编辑框_名称->setFocus();
    fillCashiers();
    tickClock();
    m_clock->start();
    QCoreApplication::processEvents();
}

void MainWindow::openPreview()
{
    PreviewWindow preview(*m_receipts, this);
    preview.exec();
}

void MainWindow::openTicketFormatWindow()
{
    TicketFormatWindow window(
        m_session, [this] { runStartupRoutine(); }, nullptr, this);
    window.exec();
}

void MainWindow::lookUpRole()
{
    m_session.currentRole.clear();
    auto records = ui::query(m_session.db, QStringLiteral("select * from 用户登录 where  用户名=?"),
                             {m_session.currentUser}, this);
    if (!records)
        return;
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        m_session.currentRole = records->text(QStringLiteral("权限"));
    records->close();
}

void MainWindow::applyRoleToCashierUnits()
{
    const bool administrator = m_session.isAdministrator();
    m_ui->编辑框_收银员->setEnabled(administrator);
    m_ui->组合框_收银员->setEnabled(administrator);
    m_ui->按钮_仅保存小票->setEnabled(administrator);
}

void MainWindow::showStartupTicketNumber()
{
    const std::optional<QString> last = lastTicketNumber(m_session.db);
    if (!last)
        MessageBox::show(this, ui::kQueryFailed);
    m_ui->编辑框_单号->setText(
        startupTicketNumber(m_session.ticketFormat, last.value_or(QString()), Clock::now().date()));
}

void MainWindow::fillPaymentMethods()
{
    QComboBox* combo = m_ui->组合框_付款方式;
    combo->clear();
    if (auto records = ui::query(m_session.db, QStringLiteral("select * from 付款方式"), {}, this)) {
        for (records->moveFirst(); !records->atEnd(); records->moveNext())
            combo->addItem(records->text(QStringLiteral("方式")), records->readField(QStringLiteral("ID")));
        records->close();
    }
    m_ui->编辑框_付款方式->setText(QStringLiteral("现金"));
}

void MainWindow::applyFlagSetting(const QString& column, const std::function<void(bool)>& apply)
{
    const QString value = ui::readSetting(m_session.db, column, this);
    if (value == kOff)
        apply(false);
    else if (value == kOn)
        apply(true);
}

void MainWindow::applyPhoneSetting()
{
    applyFlagSetting(QStringLiteral("电话"), [this](bool on) {
        m_ui->选择框_电话->setChecked(on);
        m_ui->组合框_电话->setEnabled(on);
        m_ui->编辑框_电话->setEnabled(on);
        if (on)
            showCustomerLookups();
    });
}

void MainWindow::applyCustomerSetting()
{
    applyFlagSetting(QStringLiteral("客户"), [this](bool on) {
        m_ui->选择框_客户->setChecked(on);
        m_ui->组合框_客户->setEnabled(on);
        m_ui->编辑框_客户->setEnabled(false); // the name is picked from the list
        if (on)
            showCustomerLookups();
    });
}

void MainWindow::applyDiscountSetting()
{
    applyFlagSetting(QStringLiteral("折扣"), [this](bool on) {
        m_ui->选择框_折扣->setChecked(on);
        m_ui->组合框_折扣->setEnabled(on);
    });
}

void MainWindow::applyPaymentMethodSetting()
{
    applyFlagSetting(QStringLiteral("付款方式的选中"), [this](bool on) {
        m_ui->选择框_付款方式->setChecked(on);
        m_ui->编辑框_付款方式->setEnabled(on);
        m_ui->组合框_付款方式->setEnabled(on);
    });
}

void MainWindow::showCustomerLookups()
{
    fillCustomerLists();
    m_ui->按钮_客户栏->setChecked(true);
}

void MainWindow::loadPrintSettings()
{
    auto flag = [this](const char16_t* column) {
        return ui::readSetting(m_session.db, QString::fromUtf16(column), this) == kOn;
    };
    auto whole = [this](const char16_t* column) {
        return static_cast<int>(textToNumber(ui::readSetting(m_session.db, QString::fromUtf16(column), this)));
    };
    PrintSettings& print = m_session.print;
    print.showPrintFinished = flag(u"显示打印完毕");
    print.askPrintAgain = flag(u"提示再次打印");
    print.printUnitPrice = flag(u"打印单价");
    print.saveSalesRecords = flag(u"保存销售记录");
    print.printLogo = readPrintLogoFlagOrReport() == kOn;
    print.paperMargin = whole(u"纸张边距");
    print.printOffset = whole(u"打印偏差");
}

QString MainWindow::readPrintLogoFlagOrReport()
{
    const std::optional<QString> value = readPrintLogoFlag(m_session.db);
    if (!value) {
        reportLogoReadFailed(m_session.db, this);
        return QString();
    }
    return *value;
}

void MainWindow::fillCashiers()
{
    QComboBox* combo = m_ui->组合框_收银员;
    combo->clear();
    auto records = ui::query(m_session.db, QStringLiteral("select * from 用户登录"), {}, this);
    if (!records)
        return;
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        combo->addItem(records->text(QStringLiteral("用户名")), records->readField(QStringLiteral("ID")));
    records->close();
}

void MainWindow::fillCustomerLists()
{
    QComboBox* phones = m_ui->组合框_电话;
    QComboBox* names = m_ui->组合框_客户;
    phones->clear();
    names->clear();
    auto records = ui::query(m_session.db, QStringLiteral("select * from 客户资料"), {}, this);
    if (!records)
        return;
    for (records->moveFirst(); !records->atEnd(); records->moveNext()) {
        phones->addItem(records->text(QStringLiteral("电话")));
        names->addItem(records->text(QStringLiteral("姓名")));
    }
    records->close();
}

void MainWindow::showCustomerArea(bool show)
{
    m_ui->按钮_客户栏->setText(show ? QStringLiteral("客户 «") : QStringLiteral("客户 »"));
    setFixedSize(show ? kWideWidth : m_narrowWidth, height());
}

void MainWindow::tickClock()
{
    m_ui->编辑框_时间->setText(dateTimeText(Clock::now()));
}

void MainWindow::openCalculator()
{
    if (!Launcher::openCalculator())
        MessageBox::show(this, QStringLiteral("没有找到计算器程序，请先安装计算器（如 gnome-calculator）。"));
}

void MainWindow::openTextEditor()
{
    if (!Launcher::openTextEditor())
        MessageBox::show(this, QStringLiteral("没有找到记事本程序，请先安装文本编辑器（如 gedit）。"));
}

} // namespace quorrel
