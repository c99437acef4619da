#pragma once

#include "core/shop/Products.h"
#include "core/shop/Users.h"

#include <QDialog>

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

// "软件设置": the shop's name, remark and print options, the common products and the users. The
// print page is built for an administrator only. The logo, ticket-format, printer and user windows
// it offers are opened by whoever opened it, on its requests.
class SettingsWindow : public QDialog
{
    Q_OBJECT
public:
    SettingsWindow(Session& session, QWidget* parent = nullptr);
    ~SettingsWindow() override;

signals:
    void logoWindowRequested();
    void ticketFormatWindowRequested();
    void printerWindowRequested();
    void addUserRequested();
    void editUserRequested(const quorrel::User& user);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void placePageUnits();
    void buildPrintPage();
    void applyRole();
    void loadPrintPage();
    void showTicketSample();
    void reloadShopText();
    void settingChanged(const QString& column);
    void connectFlag(QCheckBox* box, const QString& column);
    void saveClicked();
    bool savedCoordinate(const Done& stored);
    void cancelDirectLoginClicked();
    void pageChanged(int index);

    void fillProductList();
    void productRowClicked();
    // The typed price as stored, after the name and price checks; nullopt after their message.
    std::optional<QString> checkedProductEntry();
    std::optional<Product> selectedProduct(const QString& noneMessage);
    void productStored(const Done& stored, const QString& failure);
    void addProductClicked();
    void changeProductClicked();
    void deleteProductClicked();

    void fillUserList();
    // The user selected in the user list; `noneMessage` when there is none.
    std::optional<User> selectedUser(const QString& noneMessage);
    void editUserClicked();
    void deleteUserClicked();

    std::unique_ptr<Ui::SettingsWindow> m_ui;
    Session& m_session;
    bool m_printPage = false;
    bool m_pagesPlaced = false;
    UserListModel* m_users = nullptr;
    ProductTableModel* m_products = nullptr;
};

} // namespace quorrel
