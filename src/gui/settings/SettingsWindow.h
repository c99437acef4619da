#pragma once

#include "core/shop/Products.h"
#include "core/shop/Users.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;

namespace Ui {
class SettingsWindow;
}

namespace quorrel {

struct Session;
class UserListModel;
class ProductTableModel;

// What the settings window changes in the main window, handed in by whoever opens it.
struct SettingsLinks
{
    std::function<void()> rerunMainStartup;                            // after the ticket format changes
    std::function<void(const QString&, const QString&)> shopTextSaved; // shop name, remark
    std::function<void()> productsChanged;                             // the product list was edited
};

// "软件设置": the shop's name, remark and print options, the common products and the users.
class SettingsWindow : public QDialog
{
    Q_OBJECT
public:
    SettingsWindow(Session& session, SettingsLinks links, QWidget* parent = nullptr);
    ~SettingsWindow() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void placePageUnits();
    void applyRole();
    void loadPrintPage();
    void reloadShopText();
    // The setting's text; "查询失败！" and empty text when the read fails.
    QString settingOrReport(const std::optional<QString>& value);
    void connectFlag(QCheckBox* box, const QString& column, bool& inMemory);
    void saveClicked();
    bool saveCoordinate(bool stored, const std::function<std::optional<int>()>& readBack, int& inMemory);
    void cancelDirectLoginClicked();
    void pageChanged(int index);

    void fillProductList();
    void productRowClicked();
    // The typed price as stored, after the name and price checks; nullopt after their message.
    std::optional<QString> checkedProductEntry();
    std::optional<Product> selectedProduct(const QString& noneMessage);
    void productStored();
    void addProductClicked();
    void changeProductClicked();
    void deleteProductClicked();

    void fillUserList();
    // The user selected in the user list; `noneMessage` when there is none.
    std::optional<User> selectedUser(const QString& noneMessage);
    void addUserClicked();
    void editUserClicked();
    void deleteUserClicked();

    void openLogoWindow();
    void openTicketFormatWindow();
    void openPrinterSelectWindow();

    std::unique_ptr<Ui::SettingsWindow> m_ui;
    Session& m_session;
    SettingsLinks m_links;
    bool m_pagesPlaced = false;
    UserListModel* m_users = nullptr;
    ProductTableModel* m_products = nullptr;
};

} // namespace quorrel
