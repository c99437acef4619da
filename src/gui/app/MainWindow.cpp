#include "gui/app/MainWindow.h"

#include "ui_MainWindow.h"

#include "core/sales/DiscountRates.h"
#include "core/sales/SaleLinesModel.h"
#include "core/shop/PaymentMethods.h"
#include "core/shop/Session.h"
#include "core/shop/ShopSettings.h"
#include "core/shop/Users.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/app/Launcher.h"
#include "gui/receipt/LogoWindow.h"
#include "gui/receipt/PreviewWindow.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/records/SalesRecordsWindow.h"
#include "gui/sales/Checkout.h"
#include "gui/sales/CustomerLookups.h"
#include "gui/sales/LineItems.h"
#include "gui/sales/ProductLookup.h"
#include "gui/settings/CustomerWindow.h"
#include "gui/settings/PaymentMethodWindow.h"
#include "gui/settings/SettingsWindow.h"
#include "gui/tickets/TicketFormatWindow.h"
#include "gui/widgets/HotKeys.h"
#include "gui/widgets/MessageBox.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDebug>
#include <QHeaderView>
#include <QSignalBlocker>
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

    // The sale's helpers come after the units they watch, so that the units, made first, also go first.
    m_saleLines = new SaleLinesModel(this);
    QTreeView* list = m_ui->超级列表框1;
    list->setModel(m_saleLines);
    list->header()->setStretchLastSection(false);
    for (int column = 0; column < SaleLinesModel::ColumnCount; ++column)
        list->setColumnWidth(column, kListWidths[column]);
    m_ui->组合框_折扣->addItems(discountRates());
    m_ui->组合框_实收->setCurrentIndex(-1);
    m_ui->组合框_实收->setEditText(QString());

    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("时钟1"));
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &MainWindow::tickClock);

    m_products = new ProductLookup(m_ui->编辑框_名称, m_ui->编辑框_单价, m_ui->组合框_名称, m_session.db, this);
    m_products->setObjectName(QStringLiteral("ProductLookup"));
    const LineEntryBoxes entry{m_ui->编辑框_名称, m_ui->编辑框_数量, m_ui->编辑框_单价, m_ui->选择框_折扣,
                               m_ui->组合框_折扣, m_ui->超级列表框1, m_ui->按钮_修改,   m_ui->按钮_删除,
                               m_ui->标签_总量,   m_ui->标签_总金额, m_ui->标签_打折后, m_ui->编辑框_实收};
    m_lines = new LineItems(entry, *m_saleLines, *m_products, this);
    const CheckoutBoxes checkout{m_ui->编辑框_单号,     m_ui->编辑框_收银员, m_ui->编辑框_备注,
                                 m_ui->编辑框_实收,     m_ui->组合框_实收,   m_ui->编辑框_找零,
                                 m_ui->编辑框_付款方式, m_ui->编辑框_店名,   m_ui->编辑框_时间};
    m_checkout = new Checkout(checkout, m_session, *m_lines, this);
    m_receipts = new ReceiptPrinting(m_session, this);
    m_checkout->setReceiptPrinter(
        [this](const Sale& sale, const SaleHeader& header) { m_receipts->printReceipt(sale, header); });
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

    connect(m_ui->菜单_软件设置, &QAction::triggered, this, &MainWindow::openSettingsWindow);
    connectPaymentMethodUnits();
    m_customers = new CustomerLookups({m_ui->选择框_电话, m_ui->组合框_电话, m_ui->编辑框_电话, m_ui->选择框_客户,
                                       m_ui->组合框_客户, m_ui->编辑框_客户},
                                      m_session.db, this);

    connect(m_ui->按钮_设置客户, &QPushButton::clicked, this, [this] {
        CustomerWindow window(m_session.db, this);
        window.exec();
    });
}

MainWindow::~MainWindow() = default;

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
    m_ui->编辑框_备注->setPlainText(settingOrReport(ShopSettings(m_session.db).remark()));
    m_ui->编辑框_店名->setText(settingOrReport(ShopSettings(m_session.db).shopName()));
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
    PreviewWindow preview(*m_receipts, m_lines->sale(), m_checkout->header(), this);
    preview.exec();
}

void MainWindow::openTicketFormatWindow()
{
    TicketFormatWindow window(
        m_session, [this] { runStartupRoutine(); }, nullptr, this);
    window.exec();
}

void MainWindow::reportQueryFailed()
{
    qWarning().noquote() << "query failed:" << m_session.db.lastError();
    MessageBox::show(this, MessageBox::kQueryFailed);
}

QString MainWindow::settingOrReport(const std::optional<QString>& value)
{
    if (value)
        return *value;
    reportQueryFailed();
    return QString();
}

void MainWindow::openSettingsWindow()
{
    SettingsLinks links;
    links.rerunMainStartup = [this] { runStartupRoutine(); };
    links.shopTextSaved = [this](const QString& shopName, const QString& remark) {
        m_ui->编辑框_店名->setText(shopName);
        m_ui->编辑框_备注->setPlainText(remark);
    };
    SettingsWindow window(m_session, std::move(links), this);
    window.exec();
}

void MainWindow::connectPaymentMethodUnits()
{
    connect(m_ui->按钮_付款方式, &QPushButton::clicked, this, [this] {
        PaymentMethodWindow window(m_session.db, this);
        window.exec();
        // Added, changed or deleted methods are offered at once; the chosen one stays.
        const QString chosen = m_ui->编辑框_付款方式->text();
        fillPaymentMethods();
        m_ui->编辑框_付款方式->setText(chosen);
    });
    connect(m_ui->组合框_付款方式, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_ui->编辑框_付款方式->setText(m_ui->组合框_付款方式->itemText(index));
    });
    connect(m_ui->选择框_付款方式, &QCheckBox::clicked, this, [this](bool checked) {
        m_ui->组合框_付款方式->setEnabled(checked);
        m_ui->编辑框_付款方式->setEnabled(checked);
        if (!checked) // the receipt prints the method in the box: back to cash, as at start-up
            m_ui->编辑框_付款方式->setText(QStringLiteral("现金"));
        if (!ShopSettings(m_session.db).setFlag(setting::kPaymentMethod, checked)) {
            qWarning().noquote() << "payment choice not stored:" << m_session.db.lastError();
            MessageBox::show(this, QStringLiteral("数据修改失败"));
        }
    });
}

void MainWindow::lookUpRole()
{
    m_session.currentRole.clear();
    Users users(m_session.db);
    // A password login knows its row; a direct login knows only the remembered name.
    const auto found =
        m_session.currentUserId != 0 ? users.byId(m_session.currentUserId) : users.byName(m_session.currentUser);
    if (!found) {
        reportQueryFailed();
        return;
    }
    if (!*found)
        return;
    const User& user = **found;
    m_session.currentUserId = user.id;
    m_session.currentUser = user.name;
    m_session.currentRole = user.role;
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
        reportQueryFailed();
    m_ui->编辑框_单号->setText(
        startupTicketNumber(m_session.ticketFormat, last.value_or(QString()), Clock::now().date()));
}

void MainWindow::fillPaymentMethods()
{
    QComboBox* combo = m_ui->组合框_付款方式;
    const QSignalBlocker quiet(combo); // filling is no choice of the cashier's
    combo->clear();
    if (const std::optional<QList<PaymentMethod>> methods = PaymentMethods(m_session.db).all()) {
        for (const PaymentMethod& method : *methods)
            combo->addItem(method.name, method.id);
    } else {
        reportQueryFailed();
    }
    m_ui->编辑框_付款方式->setText(QStringLiteral("现金"));
}

void MainWindow::applyFlagSetting(const QString& column, const std::function<void(bool)>& apply)
{
    const std::optional<Flag> value = ShopSettings(m_session.db).flag(column);
    if (!value)
        reportQueryFailed();
    else if (*value == Flag::Off)
        apply(false);
    else if (*value == Flag::On)
        apply(true);
}

void MainWindow::applyPhoneSetting()
{
    applyFlagSetting(setting::kPhone, [this](bool on) {
        m_customers->applyPhoneSetting(on);
        if (on)
            m_ui->按钮_客户栏->setChecked(true);
    });
}

void MainWindow::applyCustomerSetting()
{
    applyFlagSetting(setting::kCustomer, [this](bool on) {
        m_customers->applyNameSetting(on);
        if (on)
            m_ui->按钮_客户栏->setChecked(true);
    });
}

void MainWindow::applyDiscountSetting()
{
    applyFlagSetting(setting::kDiscount, [this](bool on) {
        m_ui->选择框_折扣->setChecked(on);
        m_ui->组合框_折扣->setEnabled(on);
    });
}

void MainWindow::applyPaymentMethodSetting()
{
    applyFlagSetting(setting::kPaymentMethod, [this](bool on) {
        m_ui->选择框_付款方式->setChecked(on);
        m_ui->编辑框_付款方式->setEnabled(on);
        m_ui->组合框_付款方式->setEnabled(on);
    });
}

void MainWindow::loadPrintSettings()
{
    ShopSettings settings(m_session.db);
    auto flag = [&](const QString& column) {
        const std::optional<Flag> value = settings.flag(column);
        if (!value)
            reportQueryFailed();
        return value == Flag::On;
    };
    auto coordinate = [&](const std::optional<int>& value) {
        if (!value)
            reportQueryFailed();
        return value.value_or(0);
    };
    PrintSettings& print = m_session.print;
    print.showPrintFinished = flag(setting::kShowPrintFinished);
    print.askPrintAgain = flag(setting::kAskPrintAgain);
    print.printUnitPrice = flag(setting::kPrintUnitPrice);
    print.saveSalesRecords = flag(setting::kSaveSalesRecords);
    print.printLogo = readPrintLogoFlagOrReport();
    print.paperMargin = coordinate(settings.paperMargin());
    print.printOffset = coordinate(settings.printOffset());
}

bool MainWindow::readPrintLogoFlagOrReport()
{
    const std::optional<bool> value = ShopSettings(m_session.db).printLogo();
    if (!value) {
        reportLogoReadFailed(m_session.db, this);
        return false;
    }
    return *value;
}

void MainWindow::fillCashiers()
{
    QComboBox* combo = m_ui->组合框_收银员;
    combo->clear();
    const std::optional<QList<User>> users = Users(m_session.db).all();
    if (!users) {
        reportQueryFailed();
        return;
    }
    for (const User& user : *users)
        combo->addItem(user.name, user.id);
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
