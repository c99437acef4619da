#pragma once

#include "core/records/StoredSales.h"
#include "core/shop/Customers.h"
#include "core/shop/PaymentMethods.h"
#include "core/shop/Products.h"
#include "core/shop/ShopSettings.h"
#include "core/shop/Users.h"

#include <QObject>
#include <QTimer>

namespace quorrel {

class Database;

// The shop as this program sees it: the settings row, the products, users, payment methods,
// customers and the stored sales. Every change is made through these objects and announced by them once it is stored;
// the windows show what they read and subscribe to the signals, so a change made in one window
// reaches every other without one calling another. A change made by another program on the same
// shop (another till, through the database server's notifications) comes in through
// changedElsewhere() and is announced by the same signals.
class Shop : public QObject
{
    Q_OBJECT
public:
    explicit Shop(Database& db, QObject* parent = nullptr);
    ~Shop() override;

    Database& database() const { return m_db; }
    ShopSettings& settings() { return m_settings; }
    Products& products() { return m_products; }
    Users& users() { return m_users; }
    PaymentMethods& paymentMethods() { return m_paymentMethods; }
    Customers& customers() { return m_customers; }
    StoredSales& sales() { return m_sales; }

    enum class Table
    {
        Settings,
        Products,
        Users,
        PaymentMethods,
        Customers,
        Sales,
    };
    // Something else changed the table: what is kept is read again, and the change announced.
    void changedElsewhere(Table table);
    // The database file was replaced or opened again: nothing read before is kept. On a server, the
    // other tills' changes are followed from now on.
    void forget();

private:
    // Takes in what other tills changed on the server: each notification names its table.
    void takeInOtherTillsChanges();

    Database& m_db;
    QTimer m_otherTills;
    ShopSettings m_settings;
    Products m_products;
    Users m_users;
    PaymentMethods m_paymentMethods;
    Customers m_customers;
    StoredSales m_sales;
};

} // namespace quorrel
