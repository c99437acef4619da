#include "gui/settings/UserChecks.h"

#include "core/shop/Users.h"
#include "core/store/Database.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>

namespace quorrel {

bool checkUserForm(QWidget* owner, Database& db, const UserForm& form, qint64 exceptId)
{
    if (form.password != form.confirmation) {
        MessageBox::show(owner, QStringLiteral("密码输入不一致，请重新输入！！"));
        return false;
    }
    // The login refuses such passwords: the user could never log in.
    if (form.password.contains(u'\'') || form.password.contains(u'"')) {
        MessageBox::information(owner, QStringLiteral("密码里存在注入语句!"));
        return false;
    }
    if (!passwordEncodable(form.password)) {
        MessageBox::show(owner, QStringLiteral("密码含有无法使用的字符！"));
        return false;
    }
    const std::optional<bool> taken = Users(db).nameTaken(form.name, exceptId);
    if (!taken) {
        qWarning().noquote() << "user name check failed:" << db.lastError();
        MessageBox::show(owner, MessageBox::kQueryFailed);
        return false;
    }
    if (*taken) {
        MessageBox::show(owner, QStringLiteral("用户名已存在！"));
        return false;
    }
    return true;
}

} // namespace quorrel
