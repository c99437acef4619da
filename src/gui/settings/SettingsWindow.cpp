#include "gui/settings/SettingsWindow.h"

#include "ui_SettingsWindow.h"

#include "core/shop/Session.h"
#include "core/shop/ShopSettings.h"
#include "core/shop/Users.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/receipt/LogoWindow.h"
#include "gui/receipt/PrinterSelectWindow.h"
#include "gui/settings/AddUserWindow.h"
#include "gui/settings/EditUserWindow.h"
#include "gui/settings/ProductTableModel.h"
#include "gui/settings/UserListModel.h"
#include "gui/tickets/TicketFormatWindow.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>

namespace quorrel {

namespace {

const QString kFlagFailed = QStringLiteral("数据添加失败");
constexpr int kProductsPage = 1;
constexpr int kUsersPage = 2;

} // namespace

SettingsWindow::SettingsWindow(Session& session, SettingsLinks links, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SettingsWindow>()), m_session(session), m_links(std::move(links))
{
    m_ui->setupUi(this);
    setFixedSize(size());

    connectFlag(m_ui->选择框_显示打印完毕, setting::kShowPrintFinished, m_session.print.showPrintFinished);
    connectFlag(m_ui->选择框_提示再次打印, setting::kAskPrintAgain, m_session.print.askPrintAgain);
    connectFlag(m_ui->选择框_打印单价, setting::kPrintUnitPrice, m_session.print.printUnitPrice);
    connect(m_ui->按钮_保存, &QPushButton::clicked, this, &SettingsWindow::saveClicked);
    connect(m_ui->按钮5, &QPushButton::clicked, this, &SettingsWindow::openLogoWindow);
    connect(m_ui->按钮1, &QPushButton::clicked, this, &SettingsWindow::openTicketFormatWindow);
    connect(m_ui->按钮_选择打印机, &QPushButton::clicked, this, &SettingsWindow::openPrinterSelectWindow);
    connect(m_ui->按钮_取消直接登录, &QPushButton::clicked, this, &SettingsWindow::cancelDirectLoginClicked);

    m_products = new ProductTableModel(m_session.db, this);
    QTreeView* products = m_ui->超级列表框1;
    products->setModel(m_products);
    products->setSelectionBehavior(QAbstractItemView::SelectRows);
    products->setSelectionMode(QAbstractItemView::SingleSelection);
    products->setEditTriggers(QAbstractItemView::NoEditTriggers);
    products->setColumnWidth(0, 50);
    products->setColumnWidth(1, 140);
    products->setColumnWidth(2, 70);
    connect(products->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &SettingsWindow::productRowClicked);
    connect(m_ui->按钮_添加, &QPushButton::clicked, this, &SettingsWindow::addProductClicked);
    connect(m_ui->按钮_修改, &QPushButton::clicked, this, &SettingsWindow::changeProductClicked);
    connect(m_ui->按钮_删除, &QPushButton::clicked, this, &SettingsWindow::deleteProductClicked);

    m_users = new UserListModel(this);
    m_ui->超级列表框2->setModel(m_users);
    m_ui->超级列表框2->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ui->超级列表框2->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ui->超级列表框2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ui->超级列表框2->setColumnWidth(0, 40);
    m_ui->超级列表框2->setColumnWidth(1, 90);
    m_ui->超级列表框2->setColumnWidth(2, 70);
    connect(m_ui->按钮_添加1, &QPushButton::clicked, this, &SettingsWindow::addUserClicked);
    connect(m_ui->按钮_修改1, &QPushButton::clicked, this, &SettingsWindow::editUserClicked);
    connect(m_ui->按钮_删除1, &QPushButton::clicked, this, &SettingsWindow::deleteUserClicked);

    applyRole();
    loadPrintPage();
    connect(m_ui->高级选择夹1, &QTabWidget::currentChanged, this, &SettingsWindow::pageChanged);
    pageChanged(m_ui->高级选择夹1->currentIndex());
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_pagesPlaced) { // the tab control has laid out its strip by now
        m_pagesPlaced = true;
        placePageUnits();
    }
}

void SettingsWindow::placePageUnits()
{
    // The units' places count from the tab control's top-left corner, the tab strip included; a
    // page begins below the strip, so its units move up by the strip's height.
    QTabWidget* tabs = m_ui->高级选择夹1;
    for (int i = 0; i < tabs->count(); ++i) {
        QWidget* page = tabs->widget(i);
        const int strip = page->mapTo(tabs, QPoint(0, 0)).y();
        for (QWidget* unit : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            unit->move(unit->x(), unit->y() - strip);
    }
}

void SettingsWindow::applyRole()
{
    if (m_session.isAdministrator())
        return;
    // The tab of the first page is not offered; the window opens on the product list.
    m_ui->高级选择夹1->setTabVisible(0, false);
    m_ui->高级选择夹1->setCurrentIndex(1);
    for (QPushButton* button :
         {m_ui->按钮_添加, m_ui->按钮_修改, m_ui->按钮_删除, m_ui->按钮_添加1, m_ui->按钮_修改1, m_ui->按钮_删除1})
        button->setEnabled(false);
}

QString SettingsWindow::settingOrReport(const std::optional<QString>& value)
{
    if (value)
        return *value;
    qWarning().noquote() << "settings read failed:" << m_session.db.lastError();
    MessageBox::show(this, MessageBox::kQueryFailed);
    return QString();
}

void SettingsWindow::loadPrintPage()
{
    ShopSettings settings(m_session.db);
    m_ui->编辑框_边距->setText(settingOrReport(settings.text(setting::kPaperMargin)));
    m_ui->编辑框_偏差->setText(settingOrReport(settings.text(setting::kPrintOffset)));
    loadTicketFormatInto(m_session, this);
    reloadShopText();
    const std::pair<QCheckBox*, QString> flags[] = {
        {m_ui->选择框_显示打印完毕, setting::kShowPrintFinished},
        {m_ui->选择框_提示再次打印, setting::kAskPrintAgain},
        {m_ui->选择框_打印单价, setting::kPrintUnitPrice},
        {m_ui->选择框_保存销售记录, setting::kSaveSalesRecords},
    };
    for (const auto& [box, column] : flags) {
        const std::optional<Flag> flag = settings.flag(column);
        if (!flag)
            settingOrReport(std::nullopt);
        box->setChecked(flag == Flag::On);
    }
    m_ui->编辑框3->setText(m_session.ticketFormat == kTicketFormatCustomPrefix ? QStringLiteral("000000")
                                                                               : datePrefix(Clock::now().date()));
}

void SettingsWindow::reloadShopText()
{
    ShopSettings settings(m_session.db);
    const std::optional<QString> name = settings.shopName();
    const std::optional<QString> remark = name ? settings.remark() : std::nullopt;
    if (!name || !remark) {
        settingOrReport(std::nullopt); // the boxes keep what they hold
        return;
    }
    m_ui->编辑框_店名->setText(*name);
    m_ui->编辑框_备注->setPlainText(*remark);
}

void SettingsWindow::connectFlag(QCheckBox* box, const QString& column, bool& inMemory)
{
    // The shop name and remark boxes are left alone: text typed but not yet saved is kept.
    connect(box, &QCheckBox::clicked, this, [this, box, column, &inMemory](bool checked) {
        if (!ShopSettings(m_session.db).setFlag(column, checked)) {
            qWarning().noquote() << "flag not stored:" << column << m_session.db.lastError();
            MessageBox::show(this, kFlagFailed);
            box->setChecked(!checked); // the box shows what is stored
            return;
        }
        inMemory = checked;
    });
}

bool SettingsWindow::saveCoordinate(bool stored, const std::function<std::optional<int>()>& readBack, int& inMemory)
{
    if (!stored) {
        qWarning().noquote() << "margin not stored:" << m_session.db.lastError();
        MessageBox::show(this, kFlagFailed);
        return false;
    }
    if (const std::optional<int> value = readBack())
        inMemory = *value;
    else
        settingOrReport(std::nullopt);
    reloadShopText();
    return true;
}

void SettingsWindow::saveClicked()
{
    ShopSettings settings(m_session.db);
    const QString name = m_ui->编辑框_店名->text();
    const QString remark = m_ui->编辑框_备注->toPlainText();
    if (!settings.setShopText(name, remark)) {
        qWarning().noquote() << "shop text not stored:" << m_session.db.lastError();
        MessageBox::show(this, QStringLiteral("数据添加失败!"));
        return;
    }
    PrintSettings& print = m_session.print;
    if (!saveCoordinate(
            settings.setPaperMarginText(m_ui->编辑框_边距->text()), [&] { return settings.paperMargin(); },
            print.paperMargin))
        return;
    if (!saveCoordinate(
            settings.setPrintOffsetText(m_ui->编辑框_偏差->text()), [&] { return settings.printOffset(); },
            print.printOffset))
        return;
    reloadShopText();
    if (m_links.shopTextSaved)
        m_links.shopTextSaved(m_ui->编辑框_店名->text(), m_ui->编辑框_备注->toPlainText());
    MessageBox::show(this, QStringLiteral("基本信息已经保存！"));
}

void SettingsWindow::cancelDirectLoginClicked()
{
    if (!ShopSettings(m_session.db).setDirectLogin(false)) {
        qWarning().noquote() << "direct login not switched off:" << m_session.db.lastError();
        MessageBox::show(this, QStringLiteral("数据执行失败！！"));
        return;
    }
    MessageBox::show(this, QStringLiteral("设置成功！"), QStringLiteral("提示"));
}

void SettingsWindow::pageChanged(int index)
{
    if (index == kProductsPage)
        fillProductList();
    else if (index == kUsersPage)
        fillUserList();
}

void SettingsWindow::fillProductList()
{
    if (!m_products->reload()) {
        qWarning().noquote() << "product list:" << m_session.db.lastError();
        MessageBox::show(this, MessageBox::kQueryFailed);
    }
}

void SettingsWindow::productRowClicked()
{
    if (const Product* product = m_products->productAt(m_ui->超级列表框1->currentIndex().row())) {
        m_ui->编辑框_名称->setText(product->name);
        m_ui->编辑框_单价->setText(product->price);
    }
}

std::optional<QString> SettingsWindow::checkedProductEntry()
{
    if (m_ui->编辑框_名称->text().isEmpty()) {
        MessageBox::show(this, QStringLiteral("商品名称不能为空！"));
        return std::nullopt;
    }
    if (m_ui->编辑框_单价->text().isEmpty()) {
        MessageBox::show(this, QStringLiteral("商品价格不能为空！"));
        return std::nullopt;
    }
    // The till charges what the stored text counts as: a price that is no number is refused.
    const std::optional<QString> price = productPriceText(m_ui->编辑框_单价->text());
    if (!price)
        MessageBox::show(this, QStringLiteral("商品价格必须是数字！"));
    return price;
}

std::optional<Product> SettingsWindow::selectedProduct(const QString& noneMessage)
{
    const QModelIndexList rows = m_ui->超级列表框1->selectionModel()->selectedRows();
    const Product* product = rows.isEmpty() ? nullptr : m_products->productAt(rows.first().row());
    if (!product) {
        MessageBox::show(this, noneMessage, QStringLiteral("提示："));
        return std::nullopt;
    }
    return *product;
}

void SettingsWindow::productStored()
{
    m_ui->编辑框_名称->clear();
    m_ui->编辑框_单价->clear();
    fillProductList();
    // The main window's product list is read again each time it drops down.
    if (m_links.productsChanged)
        m_links.productsChanged();
}

void SettingsWindow::addProductClicked()
{
    const std::optional<QString> price = checkedProductEntry();
    if (!price)
        return;
    if (!Products(m_session.db).add(m_ui->编辑框_名称->text(), *price)) {
        qWarning().noquote() << "product not added:" << m_session.db.lastError();
        MessageBox::show(this, QStringLiteral("添加失败！"));
        return;
    }
    productStored();
}

void SettingsWindow::changeProductClicked()
{
    const std::optional<Product> product = selectedProduct(QStringLiteral("请选择要修改的行！"));
    if (!product)
        return;
    const std::optional<QString> price = checkedProductEntry();
    if (!price)
        return;
    if (!Products(m_session.db).update(product->id, m_ui->编辑框_名称->text(), *price)) {
        qWarning().noquote() << "product not changed:" << m_session.db.lastError();
        MessageBox::show(this, QStringLiteral("数据添加失败"));
        return;
    }
    productStored();
}

void SettingsWindow::deleteProductClicked()
{
    const std::optional<Product> product = selectedProduct(QStringLiteral("请选择要删除的行！"));
    if (!product)
        return;
    if (!Products(m_session.db).remove(product->id)) {
        qWarning().noquote() << "product not deleted:" << m_session.db.lastError();
        MessageBox::show(this, QStringLiteral("数据删除失败"));
        return;
    }
    productStored();
}

void SettingsWindow::fillUserList()
{
    const std::optional<QList<User>> users = Users(m_session.db).all();
    if (!users) {
        m_users->setUsers({});
        qWarning().noquote() << "user list:" << m_session.db.lastError();
        MessageBox::show(this, MessageBox::kQueryFailed);
        return;
    }
    m_users->setUsers(*users);
}

std::optional<User> SettingsWindow::selectedUser(const QString& noneMessage)
{
    // Only a row selected in this list counts, never a position left over from another list.
    const QModelIndexList rows = m_ui->超级列表框2->selectionModel()->selectedRows();
    const User* user = rows.isEmpty() ? nullptr : m_users->userAt(rows.first().row());
    if (!user) {
        MessageBox::show(this, noneMessage, QStringLiteral("提示："));
        return std::nullopt;
    }
    return *user;
}

void SettingsWindow::addUserClicked()
{
    AddUserWindow window(m_session, this);
    connect(&window, &AddUserWindow::userAdded, this, &SettingsWindow::fillUserList);
    window.exec();
}

void SettingsWindow::editUserClicked()
{
    const std::optional<User> user = selectedUser(QStringLiteral("请选择要修改的行！"));
    if (!user)
        return;
    EditUserWindow window(m_session, *user, this);
    connect(&window, &EditUserWindow::userChanged, this, &SettingsWindow::fillUserList);
    window.exec();
}

void SettingsWindow::deleteUserClicked()
{
    const std::optional<User> user = selectedUser(QStringLiteral("请选择要删除的行！"));
    if (!user)
        return;
    if (user->id == m_session.currentUserId) {
        MessageBox::show(this, QStringLiteral("当前用户(") + user->name + QStringLiteral(")正在使用，无法删除！"),
                         QStringLiteral("提示"));
        return;
    }
    Users users(m_session.db);
    if (user->isAdministrator()) {
        const std::optional<int> others = users.otherAdministrators(user->id);
        if (!others) {
            qWarning().noquote() << "administrator count failed:" << m_session.db.lastError();
            MessageBox::show(this, MessageBox::kQueryFailed);
            return;
        }
        if (*others == 0) {
            MessageBox::show(this, QStringLiteral("至少保留一个管理员！"));
            return;
        }
    }
    if (!MessageBox::question(this, QStringLiteral("真的要删除用户 ") + user->name + QStringLiteral(" 吗？"),
                              QStringLiteral("注意")))
        return;
    if (!users.remove(user->id)) {
        qWarning().noquote() << "user not deleted:" << m_session.db.lastError();
        MessageBox::show(this, QStringLiteral("数据删除失败"));
        return;
    }
    fillUserList();
}

void SettingsWindow::openLogoWindow()
{
    LogoWindow window(m_session, this);
    window.exec();
}

void SettingsWindow::openTicketFormatWindow()
{
    TicketFormatWindow window(m_session, m_links.rerunMainStartup, m_ui->编辑框3, this);
    window.exec();
}

void SettingsWindow::openPrinterSelectWindow()
{
    PrinterSelectWindow window(this);
    window.exec();
}

} // namespace quorrel
