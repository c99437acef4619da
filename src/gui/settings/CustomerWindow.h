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

// Keeps and searches the shop's customers; the list follows every change of them.
class CustomerWindow : public QDialog
{
    Q_OBJECT
public:
    explicit CustomerWindow(Customers& customers, QWidget* parent = nullptr);
    ~CustomerWindow() override;

private:
    void fillList(const Customers::Search& search);
    void customersChanged();
    std::optional<Customer> selectedCustomer(const QString& noneMessage);
    bool checkEntry();
    void stored(const Done& result, const QString& failure);
    void rowClicked();
    void addClicked();
    void changeClicked();
    void deleteClicked();
    void searchClicked();

    std::unique_ptr<Ui::CustomerWindow> m_ui;
    Customers& m_customers;
    CustomerListModel* m_model = nullptr;
};

} // namespace quorrel
