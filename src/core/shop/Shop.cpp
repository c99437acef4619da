#include "core/shop/Shop.h"

#include "core/store/Database.h"
#include "core/store/ServerSchema.h"

#include <QDebug>
#include <QHash>

#include <set>

namespace quorrel {

Shop::Shop(Database& db, QObject* parent)
    : QObject(parent), m_db(db), m_settings(db), m_products(db), m_users(db), m_paymentMethods(db), m_customers(db),
      m_sales(db)
{
    // Renaming or deleting a user also changes the name remembered for direct login.
    connect(&m_users, &Users::changed, this, [this] { changedElsewhere(Table::Settings); });
    // A few looks a second: another till's change shows here well within a second, and a look
    // costs one non-blocking read of the connection.
    constexpr int kLookEveryMs = 200;
    m_otherTills.setInterval(kLookEveryMs);
    connect(&m_otherTills, &QTimer::timeout, this, &Shop::takeInOtherTillsChanges);
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
    m_otherTills.stop();
    if (m_db.isServer()) {
        if (m_db.listen(QString::fromLatin1(server::kShopChannel)))
            m_otherTills.start();
        else
            qWarning().noquote() << "other tills' changes not followed:" << m_db.lastError();
    }
}

void Shop::takeInOtherTillsChanges()
{
    static const QHash<QString, Table> tables = {
        {QStringLiteral("配置文件"), Table::Settings},  {QStringLiteral("商品名称"), Table::Products},
        {QStringLiteral("用户登录"), Table::Users},     {QStringLiteral("付款方式"), Table::PaymentMethods},
        {QStringLiteral("客户资料"), Table::Customers},
    };
    std::set<Table> changed;
    for (const QString& table : m_db.takeNotifications()) {
        if (const auto found = tables.find(table); found != tables.end())
            changed.insert(*found);
    }
    for (const Table table : changed)
        changedElsewhere(table);
}

} // namespace quorrel
