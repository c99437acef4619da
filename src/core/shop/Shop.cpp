#include "core/shop/Shop.h"

#include <QDebug>

namespace quorrel {

Shop::Shop(Database& db, QObject* parent)
    : QObject(parent), m_db(db), m_settings(db), m_products(db), m_users(db), m_paymentMethods(db), m_customers(db),
      m_sales(db)
{
    // Renaming or deleting a user also changes the name remembered for direct login.
    connect(&m_users, &Users::changed, this, [this] { changedElsewhere(Table::Settings); });
}

Shop::~Shop() = default;

void Shop::changedElsewhere(Table table)
{
    switch (table) {
    case Table::Settings:
        if (const Done read = m_settings.reload(); !read)
            qWarning().noquote() << "settings not read again:" << read.error();
        break;
    case Table::Products:
        emit m_products.changed();
        break;
    case Table::Users:
        emit m_users.changed();
        break;
    case Table::PaymentMethods:
        emit m_paymentMethods.changed();
        break;
    case Table::Customers:
        emit m_customers.changed();
        break;
    case Table::Sales:
        emit m_sales.changed();
        break;
    }
}

void Shop::forget()
{
    m_settings.forget();
}

} // namespace quorrel
