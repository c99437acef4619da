#include "gui/widgets/StoreAccess.h"

#include "core/shop/ShopSettings.h"
#include "core/store/Database.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>

namespace quorrel::ui {

std::unique_ptr<RecordSet> query(Database& db, const QString& sql, const QVariantList& params, QWidget* owner)
{
    auto records = db.query(sql, params);
    if (!records) {
        qWarning().noquote() << "query failed:" << db.lastError();
        MessageBox::show(owner, kQueryFailed);
    }
    return records;
}

QString readSetting(Database& db, const QString& column, QWidget* owner)
{
    const std::optional<QString> value = ShopSettings(db).text(column);
    if (!value) {
        qWarning().noquote() << "settings read failed:" << db.lastError();
        MessageBox::show(owner, kQueryFailed);
        return QString();
    }
    return *value;
}

bool execute(Database& db, const QString& sql, const QVariantList& params, const QString& failureMessage,
             QWidget* owner)
{
    if (db.execute(sql, params))
        return true;
    qWarning().noquote() << "statement failed:" << db.lastError();
    MessageBox::show(owner, failureMessage);
    return false;
}

} // namespace quorrel::ui
