#include "gui/settings/SettingsWindow.h"

#include "ui_SettingsWindow.h"

#include "core/shop/ProductTableModel.h"
#include "core/shop/Session.h"
#include "core/shop/UserListModel.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/settings/UserChecks.h"
#include "gui/widgets/MessageBox.h"

namespace quorrel {

namespace {
const QString kFlagFailed = QStringLiteral("数据添加失败");
} // namespace

SettingsWindow::SettingsWindow(Session& session, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SettingsWindow>()), m_session(session)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    Shop& shop = m_session.shop;

    m_products = new ProductTableModel(shop.products(), this);
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
    connect(m_ui->按钮_添加1, &QPushButton::clicked, this, [this] {
        if (m_session.may(Permission::ManageUsers))
            emit addUserRequested();
    });
    connect(m_ui->按钮_修改1, &QPushButton::clicked, this, &SettingsWindow::editUserClicked);
    connect(m_ui->按钮_删除1, &QPushButton::clicked, this, &SettingsWindow::deleteUserClicked);
    connect(m_ui->按钮_取消直接登录, &QPushButton::clicked, this, &SettingsWindow::cancelDirectLoginClicked);

    // The lists follow every change of the products and users, made here or anywhere else.
    connect(&shop.products(), &Products::changed, this, &SettingsWindow::fillProductList);
    connect(&shop.users(), &Users::changed, this, &SettingsWindow::fillUserList);

    applyRole();
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
    if (m_session.may(Permission::EditShopInformation)) {
        buildPrintPage();
    } else {
        // Not built at all, so that no key reaches it: the window opens on the product list.
        QTabWidget* tabs = m_ui->高级选择夹1;
        QWidget* printPage = m_ui->页面_打印设置;
        tabs->removeTab(tabs->indexOf(printPage));
        delete printPage;
        tabs->setCurrentWidget(m_ui->页面_常用商品);
    }
    for (QPushButton* button : {m_ui->按钮_添加, m_ui->按钮_修改, m_ui->按钮_删除})
        button->setEnabled(m_session.may(Permission::EditProducts));
    for (QPushButton* button : {m_ui->按钮_添加1, m_ui->按钮_修改1, m_ui->按钮_删除1})
        button->setEnabled(m_session.may(Permission::ManageUsers));
}

void SettingsWindow::buildPrintPage()
{
    m_printPage = true;
    connectFlag(m_ui->选择框_显示打印完毕, setting::kShowPrintFinished);
    connectFlag(m_ui->选择框_提示再次打印, setting::kAskPrintAgain);
    connectFlag(m_ui->选择框_打印单价, setting::kPrintUnitPrice);
    connect(m_ui->按钮_保存, &QPushButton::clicked, this, &SettingsWindow::saveClicked);
    connect(m_ui->按钮5, &QPushButton::clicked, this, &SettingsWindow::logoWindowRequested);
    connect(m_ui->按钮1, &QPushButton::clicked, this, &SettingsWindow::ticketFormatWindowRequested);
    connect(m_ui->按钮_选择打印机, &QPushButton::clicked, this, &SettingsWindow::printerWindowRequested);
    connect(&m_session.shop.settings(), &ShopSettings::changed, this, &SettingsWindow::settingChanged);
    loadPrintPage();
}

void SettingsWindow::loadPrintPage()
{
    ShopSettings& settings = m_session.shop.settings();
    m_ui->编辑框_边距->setText(MessageBox::valueOrReport(this, settings.text(setting::kPaperMargin)));
    m_ui->编辑框_偏差->setText(MessageBox::valueOrReport(this, settings.text(setting::kPrintOffset)));
    reloadShopText();
    const std::pair<QCheckBox*, QString> flags[] = {
        {m_ui->选择框_显示打印完毕, setting::kShowPrintFinished},
        {m_ui->选择框_提示再次打印, setting::kAskPrintAgain},
        {m_ui->选择框_打印单价, setting::kPrintUnitPrice},
        {m_ui->选择框_保存销售记录, setting::kSaveSalesRecords},
    };
    for (const auto& [box, column] : flags)
        box->setChecked(MessageBox::valueOrReport(this, settings.flag(column), Flag::Unset) == Flag::On);
    showTicketSample();
}

void SettingsWindow::showTicketSample()
{
    const int format = MessageBox::valueOrReport(this, m_session.shop.settings().ticketFormat());
    m_ui->编辑框3->setText(format == kTicketFormatCustomPrefix ? QStringLiteral("000000")
                                                               : datePrefix(Clock::now().date()));
}

void SettingsWindow::settingChanged(const QString& column)
{
    if (column == setting::kTicketFormat)
        showTicketSample();
}

void SettingsWindow::reloadShopText()
{
    ShopSettings& settings = m_session.shop.settings();
    const Result<QString> name = settings.shopName();
    const Result<QString> remark = name ? settings.remark() : name;
    if (!remark) { // the boxes keep what they hold
        MessageBox::failed(this, MessageBox::kQueryFailed, remark.error());
        return;
    }
    m_ui->编辑框_店名->setText(*name);
    m_ui->编辑框_备注->setPlainText(*remark);
}

void SettingsWindow::connectFlag(QCheckBox* box, const QString& column)
{
    // The shop name and remark boxes are left alone: text typed but not yet saved is kept.
    connect(box, &QCheckBox::clicked, this, [this, box, column](bool checked) {
        if (const Done stored = m_session.shop.settings().setFlag(column, checked); !stored) {
            MessageBox::failed(this, kFlagFailed, stored.error());
            box->setChecked(!checked); // the box shows what is stored
        }
    });
}

bool SettingsWindow::savedCoordinate(const Done& stored)
{
    if (!stored) {
        MessageBox::failed(this, kFlagFailed, stored.error());
        return false;
    }
    reloadShopText();
    return true;
}

void SettingsWindow::saveClicked()
{
    ShopSettings& settings = m_session.shop.settings();
    const Done shopText = settings.setShopText(m_ui->编辑框_店名->text(), m_ui->编辑框_备注->toPlainText());
    if (!shopText) {
        MessageBox::failed(this, QStringLiteral("数据添加失败!"), shopText.error());
        return;
    }
    if (!savedCoordinate(settings.setPaperMarginText(m_ui->编辑框_边距->text())) ||
        !savedCoordinate(settings.setPrintOffsetText(m_ui->编辑框_偏差->text())))
        return;
    reloadShopText();
    MessageBox::show(this, QStringLiteral("基本信息已经保存！"));
}

void SettingsWindow::cancelDirectLoginClicked()
{
    if (const Done stored = m_session.shop.settings().setDirectLogin(false); !stored) {
        MessageBox::failed(this, QStringLiteral("数据执行失败！！"), stored.error());
        return;
    }
    MessageBox::show(this, QStringLiteral("设置成功！"), QStringLiteral("提示"));
}

void SettingsWindow::pageChanged(int index)
{
    QWidget* page = m_ui->高级选择夹1->widget(index);
    if (page == m_ui->页面_常用商品)
        fillProductList();
    else if (page == m_ui->页面_用户)
        fillUserList();
}

void SettingsWindow::fillProductList()
{
    if (!m_products->reload())
        MessageBox::failed(this, MessageBox::kQueryFailed, m_products->readError());
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

void SettingsWindow::productStored(const Done& stored, const QString& failure)
{
    if (!stored) {
        MessageBox::failed(this, failure, stored.error());
        return;
    }
    // The list itself, here and in the main window, follows the products' change.
    m_ui->编辑框_名称->clear();
    m_ui->编辑框_单价->clear();
}

void SettingsWindow::addProductClicked()
{
    if (!m_session.may(Permission::EditProducts))
        return;
    if (const std::optional<QString> price = checkedProductEntry())
        productStored(m_session.shop.products().add(m_ui->编辑框_名称->text(), *price), QStringLiteral("添加失败！"));
}

void SettingsWindow::changeProductClicked()
{
    if (!m_session.may(Permission::EditProducts))
        return;
    const std::optional<Product> product = selectedProduct(QStringLiteral("请选择要修改的行！"));
    if (!product)
        return;
    if (const std::optional<QString> price = checkedProductEntry())
        productStored(m_session.shop.products().update(product->id, m_ui->编辑框_名称->text(), *price),
                      QStringLiteral("数据添加失败"));
}

void SettingsWindow::deleteProductClicked()
{
    if (!m_session.may(Permission::EditProducts))
        return;
    if (const std::optional<Product> product = selectedProduct(QStringLiteral("请选择要删除的行！")))
        productStored(m_session.shop.products().remove(product->id), QStringLiteral("数据删除失败"));
}

void SettingsWindow::fillUserList()
{
    const Result<QList<User>> users = m_session.shop.users().all();
    m_users->setUsers(users.value_or({}));
    if (!users)
        MessageBox::failed(this, MessageBox::kQueryFailed, users.error());
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

void SettingsWindow::editUserClicked()
{
    if (!m_session.may(Permission::ManageUsers))
        return;
    if (const std::optional<User> user = selectedUser(QStringLiteral("请选择要修改的行！")))
        emit editUserRequested(*user);
}

void SettingsWindow::deleteUserClicked()
{
    if (!m_session.may(Permission::ManageUsers))
        return;
    const std::optional<User> user = selectedUser(QStringLiteral("请选择要删除的行！"));
    if (!user)
        return;
    Users& users = m_session.shop.users();
    if (!allowedOrReport(this, users.ruleForRemoval(*user, m_session.currentUserId), user->name))
        return;
    if (!MessageBox::question(this, QStringLiteral("真的要删除用户 ") + user->name + QStringLiteral(" 吗？"),
                              QStringLiteral("注意")))
        return;
    const Result<UserRule> removed = users.remove(*user, m_session.currentUserId);
    if (!removed)
        MessageBox::failed(this, QStringLiteral("数据删除失败"), removed.error());
    else
        allowedOrReport(this, removed, user->name);
}

} // namespace quorrel
