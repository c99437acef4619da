#include "gui/app/MainWindow.h"

#include "ui_MainWindow.h"

#include "core/sales/CurrentSale.h"
#include "core/sales/DiscountRates.h"
#include "core/shop/Session.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/app/Launcher.h"
#include "gui/app/RecordsWindows.h"
#include "gui/receipt/LogoWindow.h"
#include "gui/receipt/PreviewWindow.h"
#include "gui/receipt/PrinterSelectWindow.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/records/DaySummaryWindow.h"
#include "gui/records/SalesRecordsWindow.h"
#include "gui/sales/Checkout.h"
#include "gui/sales/CustomerLookups.h"
#include "gui/sales/HeaderBoxes.h"
#include "gui/sales/LineItems.h"
#include "gui/sales/ProductLookup.h"
#include "gui/settings/AddUserWindow.h"
#include "gui/settings/CustomerWindow.h"
#include "gui/settings/EditUserWindow.h"
#include "gui/settings/PaymentMethodWindow.h"
#include "gui/settings/SettingsWindow.h"
#include "gui/tickets/TicketFormatWindow.h"
#include "gui/widgets/ColumnWidths.h"
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

using Field = CurrentSale::Field;

// The window is as wide as the sales area; the customer and phone units lie to its right and are
// shown by widening the window.
constexpr int kWideWidth = 1150;

// The designed widths; a column widens to show its values whole.
const QList<int> kListWidths = {50, 210, 80, 80, 100, 95};

} // namespace

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::MainWindow>()), m_session(session)
{
    m_ui->setupUi(this);
    m_narrowWidth = width();
    setFixedSize(size());

    // The sale's helpers come after the units they watch, so that the units, made first, also go first.
    m_sale = new CurrentSale(this);
    QTreeView* list = m_ui->超级列表框1;
    list->setModel(&m_sale->lines());
    ColumnWidths::keep(list, kListWidths);
    m_ui->组合框_折扣->addItems(discountRates());
    m_ui->组合框_实收->setCurrentIndex(-1);
    m_ui->组合框_实收->setEditText(QString());
    bindSaleHeader();

    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("时钟1"));
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &MainWindow::tickClock);

    m_products =
        new ProductLookup(m_ui->编辑框_名称, m_ui->编辑框_单价, m_ui->组合框_名称, m_session.shop.products(), this);
    m_products->setObjectName(QStringLiteral("ProductLookup"));
    const LineEntryBoxes entry{m_ui->编辑框_名称, m_ui->编辑框_数量, m_ui->编辑框_单价, m_ui->选择框_折扣,
                               m_ui->组合框_折扣, m_ui->超级列表框1, m_ui->按钮_修改,   m_ui->按钮_删除,
                               m_ui->标签_总量,   m_ui->标签_总金额, m_ui->标签_打折后};
    m_lines = new LineItems(entry, *m_sale, *m_products, this);
    m_checkout = new Checkout({m_ui->编辑框_实收, m_ui->组合框_实收}, *m_sale, m_session, this);
    m_receipts = new ReceiptPrinting(m_session.shop.settings(), this);
    m_checkout->setReceiptPrinter(
        [this](const ReceiptContent& receipt) { return m_receipts->printReceipt(receipt, Checkout::kNotPrinted); });
    connect(this, &MainWindow::previewRequested, this, &MainWindow::openPreview);
    connect(this, &MainWindow::addLineRequested, m_lines, &LineItems::addLine);
    connect(this, &MainWindow::printRequested, m_checkout, &Checkout::printAndSave);
    connect(this, &MainWindow::saveOnlyRequested, m_checkout, [this] {
        // Built for every role, done only for those who may: the hot keys reach no button.
        if (m_session.may(Permission::SaveWithoutPrinting))
            m_checkout->saveSale();
    });

    connect(m_ui->按钮_添加商品, &QPushButton::clicked, this, &MainWindow::addLineRequested);
    connect(m_ui->按钮_打印小票, &QPushButton::clicked, this, &MainWindow::printRequested);
    connect(m_ui->按钮_仅保存小票, &QPushButton::clicked, this, &MainWindow::saveOnlyRequested);
    connect(m_ui->按钮_打印预览, &QPushButton::clicked, this, &MainWindow::previewRequested);
    connect(m_ui->按钮_客户栏, &QPushButton::toggled, this, &MainWindow::showCustomerArea);
    showCustomerArea(m_ui->按钮_客户栏->isChecked());
    connect(m_ui->菜单_计算器, &QAction::triggered, this, &MainWindow::openCalculator);
    connect(m_ui->菜单_记事本, &QAction::triggered, this, &MainWindow::openTextEditor);
    connect(m_ui->菜单_统计销售, &QAction::triggered, this, &MainWindow::openSalesRecordsWindow);
    connect(m_ui->菜单_日结, &QAction::triggered, this, &MainWindow::openDaySummaryWindow);
    connect(m_ui->菜单_软件设置, &QAction::triggered, this, &MainWindow::openSettingsWindow);
    connectPaymentMethodUnits();
    m_customers = new CustomerLookups({m_ui->选择框_电话, m_ui->组合框_电话, m_ui->编辑框_电话, m_ui->选择框_客户,
                                       m_ui->组合框_客户, m_ui->编辑框_客户},
                                      m_session.shop, this);
    connect(m_ui->按钮_设置客户, &QPushButton::clicked, this, &MainWindow::openCustomerWindow);
    connectShop();
}

MainWindow::~MainWindow() = default;

void MainWindow::bindSaleHeader()
{
    bindHeaderBox(m_ui->编辑框_店名, *m_sale, Field::ShopName);
    bindHeaderBox(m_ui->编辑框_单号, *m_sale, Field::TicketNumber);
    bindHeaderBox(m_ui->编辑框_收银员, *m_sale, Field::Cashier);
    bindHeaderBox(m_ui->编辑框_备注, *m_sale, Field::Remark);
    bindHeaderBox(m_ui->编辑框_实收, *m_sale, Field::Received);
    bindHeaderBox(m_ui->编辑框_找零, *m_sale, Field::Change);
    bindHeaderBox(m_ui->编辑框_付款方式, *m_sale, Field::PaymentMethod);
}

void MainWindow::connectShop()
{
    Shop& shop = m_session.shop;
    connect(&shop.settings(), &ShopSettings::changed, this, &MainWindow::settingChanged);
    connect(&shop.paymentMethods(), &PaymentMethods::changed, this, &MainWindow::paymentMethodsChanged);
    connect(&shop.users(), &Users::changed, this, &MainWindow::fillCashiers);
}

void MainWindow::settingChanged(const QString& column)
{
    ShopSettings& settings = m_session.shop.settings();
    if (column == setting::kShopName)
        m_sale->setField(Field::ShopName, MessageBox::valueOrReport(this, settings.shopName()));
    else if (column == setting::kRemark)
        m_sale->setField(Field::Remark, MessageBox::valueOrReport(this, settings.remark()));
    else if (column == setting::kTicketFormat)
        runStartupRoutine(); // the ticket box shows the number in the new format
}

void MainWindow::runStartupRoutine()
{
    lookUpRole();
    m_session.shop.sales().setOperator(m_session.currentUser, m_session.till);
    if (!m_hotKeys)
        m_hotKeys = new HotKeys(
            this, [this] { emit addLineRequested(); }, [this] { emit printRequested(); });
    setWindowTitle(QStringLiteral("Quorrelv1.0          收银员：") + m_session.currentUser + u'(' +
                   m_session.currentRole + u')');
    m_sale->setField(Field::Cashier, m_session.currentUser);
    applyRoleToCashierUnits();
    fillPaymentMethods();
    ShopSettings& settings = m_session.shop.settings();
    m_sale->setField(Field::Remark, MessageBox::valueOrReport(this, settings.remark()));
    m_sale->setField(Field::ShopName, MessageBox::valueOrReport(this, settings.shopName()));
    showStartupTicketNumber();
    applyPhoneSetting();
    applyCustomerSetting();
    applyDiscountSetting();
    applyPaymentMethodSetting();
    m_ui->按钮_删除->setEnabled(false);
    m_ui->按钮_修改->setEnabled(false);
    m_ui->编辑框_名称->setFocus();
    fillCashiers();
    tickClock();
    m_clock->start();
}

void MainWindow::openPreview()
{
    PreviewWindow preview(*m_receipts, m_checkout->nextReceipt(), this);
    preview.exec();
}

void MainWindow::openSalesRecordsWindow()
{
    SalesRecordsWindow* records = quorrel::openSalesRecordsWindow(m_session, this);
    // The database file was replaced: a new copy starts on it (the controller, which holds the
    // single-instance lock, starts it) and this one ends.
    connect(records, &SalesRecordsWindow::restartRequested, this, [this] {
        emit newCopyRequested();
        close();
    });
}

void MainWindow::openDaySummaryWindow()
{
    DaySummaryWindow window(m_session, this);
    window.exec();
}

void MainWindow::openSettingsWindow()
{
    SettingsWindow window(m_session, this);
    connect(&window, &SettingsWindow::logoWindowRequested, this, [this, &window] { openLogoWindow(&window); });
    connect(&window, &SettingsWindow::ticketFormatWindowRequested, this,
            [this, &window] { openTicketFormatWindow(&window); });
    connect(&window, &SettingsWindow::printerWindowRequested, this,
            [this, &window] { openPrinterSelectWindow(&window); });
    connect(&window, &SettingsWindow::addUserRequested, this, [this, &window] { openAddUserWindow(&window); });
    connect(&window, &SettingsWindow::editUserRequested, this,
            [this, &window](const User& user) { openEditUserWindow(&window, user); });
    window.exec();
}

void MainWindow::openLogoWindow(QWidget* settings)
{
    LogoWindow window(m_session.shop.settings(), settings);
    window.exec();
}

void MainWindow::openTicketFormatWindow(QWidget* settings)
{
    TicketFormatWindow window(m_session.shop.settings(), settings);
    window.exec();
}

void MainWindow::openPrinterSelectWindow(QWidget* settings)
{
    PrinterSelectWindow window(settings);
    window.exec();
}

void MainWindow::openAddUserWindow(QWidget* settings)
{
    AddUserWindow window(m_session.shop.users(), settings);
    window.exec();
}

void MainWindow::openEditUserWindow(QWidget* settings, const User& user)
{
    EditUserWindow window(m_session.shop.users(), user, settings);
    window.exec();
}

void MainWindow::openPaymentMethodWindow()
{
    PaymentMethodWindow window(m_session.shop.paymentMethods(), this);
    window.exec();
}

void MainWindow::openCustomerWindow()
{
    CustomerWindow window(m_session.shop.customers(), this);
    window.exec();
}

void MainWindow::connectPaymentMethodUnits()
{
    connect(m_ui->按钮_付款方式, &QPushButton::clicked, this, &MainWindow::openPaymentMethodWindow);
    // Every pick counts, the entry already current included: after a refill or an untick the box may
    // show another method than the one the combo has current.
    connect(m_ui->组合框_付款方式, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            m_sale->setField(Field::PaymentMethod, m_ui->组合框_付款方式->itemText(index));
    });
    connect(m_ui->选择框_付款方式, &QCheckBox::clicked, this, [this](bool checked) {
        m_ui->组合框_付款方式->setEnabled(checked);
        m_ui->编辑框_付款方式->setEnabled(checked);
        if (!checked) // the receipt prints the method in the box: back to cash, as at start-up
            m_sale->setField(Field::PaymentMethod, QStringLiteral("现金"));
        if (const Done stored = m_session.shop.settings().setFlag(setting::kPaymentMethod, checked); !stored)
            MessageBox::failed(this, QStringLiteral("数据修改失败"), stored.error());
    });
}

void MainWindow::lookUpRole()
{
    m_session.currentRole.clear();
    Users& users = m_session.shop.users();
    // A password login knows its row; a direct login knows only the remembered name.
    const Result<std::optional<User>> found =
        m_session.currentUserId != 0 ? users.byId(m_session.currentUserId) : users.byName(m_session.currentUser);
    if (!found) {
        MessageBox::failed(this, MessageBox::kQueryFailed, found.error());
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
    const bool changeCashier = m_session.may(Permission::ChangeCashier);
    m_ui->编辑框_收银员->setEnabled(changeCashier);
    m_ui->组合框_收银员->setEnabled(changeCashier);
    m_ui->按钮_仅保存小票->setEnabled(m_session.may(Permission::SaveWithoutPrinting));
}

void MainWindow::showStartupTicketNumber()
{
    const int format = MessageBox::valueOrReport(this, m_session.shop.settings().ticketFormat());
    const std::optional<QString> last = lastTicketNumber(m_session.db, format);
    if (!last)
        MessageBox::failed(this, MessageBox::kQueryFailed, m_session.db.lastError());
    m_sale->setField(Field::TicketNumber, startupTicketNumber(format, last.value_or(QString()), Clock::now().date()));
}

void MainWindow::fillPaymentMethods()
{
    QComboBox* combo = m_ui->组合框_付款方式;
    const QSignalBlocker quiet(combo); // filling is no choice of the cashier's
    combo->clear();
    const Result<QList<PaymentMethod>> methods = m_session.shop.paymentMethods().all();
    if (methods) {
        for (const PaymentMethod& method : *methods)
            combo->addItem(method.name, method.id);
    } else {
        MessageBox::failed(this, MessageBox::kQueryFailed, methods.error());
    }
    m_sale->setField(Field::PaymentMethod, QStringLiteral("现金"));
}

void MainWindow::paymentMethodsChanged()
{
    // Added, changed or deleted methods are offered at once; the chosen one stays.
    const QString chosen = m_sale->field(Field::PaymentMethod);
    fillPaymentMethods();
    m_sale->setField(Field::PaymentMethod, chosen);
}

void MainWindow::applyFlagSetting(const QString& column, const std::function<void(bool)>& apply)
{
    const Result<Flag> value = m_session.shop.settings().flag(column);
    if (!value)
        MessageBox::failed(this, MessageBox::kQueryFailed, value.error());
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

void MainWindow::fillCashiers()
{
    QComboBox* combo = m_ui->组合框_收银员;
    combo->clear();
    const Result<QList<User>> users = m_session.shop.users().all();
    if (!users) {
        MessageBox::failed(this, MessageBox::kQueryFailed, users.error());
        return;
    }
    for (const User& user : *users)
        combo->addItem(user.name, user.id);
}

void MainWindow::showCustomerArea(bool show)
{
    m_ui->按钮_客户栏->setText(show ? QStringLiteral("客户 «") : QStringLiteral("客户 »"));
    // Folded away they are hidden, not only beyond the window's edge, so that Tab does not reach them.
    const QList<QWidget*> customerUnits = {m_ui->选择框_电话, m_ui->组合框_电话, m_ui->编辑框_电话,  m_ui->选择框_客户,
                                           m_ui->组合框_客户, m_ui->编辑框_客户, m_ui->按钮_设置客户};
    for (QWidget* unit : customerUnits)
        unit->setVisible(show);
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
