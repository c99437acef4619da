#include "gui/widgets/StoreAccess.h"

#include "gui/widgets/MessageBox.h"
#include "core/store/Database.h"
#include "core/shop/Settings.h"

#include <QDebug>

namespace quorrel::ui {

std::unique_ptr<RecordSet> Query(Database& db, const QString& sql, const QVariantList& params, QWidget* owner)
{
    auto records = db.Query(sql, params);
    if (!records) {
        qWarning().noquote() << "query failed:" << db.LastError();
        MessageBox::Inform(kQueryFailed, owner);
    }
    return records;
}

QString ReadSetting(Database& db, const QString& column, QWidget* owner)
{
    const std::optional<QString> value = quorrel::ReadSetting(db, column);
    if (!value) {
        qWarning().noquote() << "settings read failed:" << db.LastError();
        MessageBox::Inform(kQueryFailed, owner);
        return QString();
    }
    return *value;
}

bool Execute(Database& db, const QString& sql, const QVariantList& params, const QString& failureMessage,
             QWidget* owner)
{
    if (db.Execute(sql, params))
        return true;
    qWarning().noquote() << "statement failed:" << db.LastError();
    MessageBox::Inform(failureMessage, owner);
    return false;
}

} // namespace quorrel::ui
