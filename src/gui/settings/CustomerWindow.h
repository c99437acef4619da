#pragma once

#include "core/shop/Customers.h"

#include <QDialog>

#include <memory>
#include <optional>

namespace Ui {
class CustomerWindow;
}

namespace quorrel {

class CustomerListModel;
class Database;

// Keeps and searches the shop's customers.
class CustomerWindow : public QDialog
{
    Q_OBJECT
public:
    explicit CustomerWindow(Database& db, QWidget* parent = nullptr);
    ~CustomerWindow() override;

private:
    void fillList(const Customers::Search& search);
    std::optional<Customer> selectedCustomer(const QString& noneMessage);
    bool checkEntry();
    void stored();
    void rowClicked();
    void addClicked();
    void changeClicked();
    void deleteClicked();
    void searchClicked();

    std::unique_ptr<Ui::CustomerWindow> m_ui;
    Database& m_db;
    CustomerListModel* m_model = nullptr;
};

} // namespace quorrel
