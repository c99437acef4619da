#include "gui/settings/UserChecks.h"

#include "gui/widgets/MessageBox.h"

namespace quorrel {

bool allowedOrReport(QWidget* owner, const Result<UserRule>& rule, const QString& userName)
{
    if (!rule) {
        MessageBox::failed(owner, MessageBox::kQueryFailed, rule.error());
        return false;
    }
    switch (*rule) {
    case UserRule::Allowed:
        return true;
    case UserRule::NameEmpty:
        MessageBox::show(owner, QStringLiteral("用户名不能为空！"));
        break;
    case UserRule::PasswordsDiffer:
        MessageBox::show(owner, QStringLiteral("密码输入不一致，请重新输入！！"));
        break;
    case UserRule::PasswordHasQuote:
        MessageBox::information(owner, QStringLiteral("密码里存在注入语句!"));
        break;
    case UserRule::PasswordUnusable:
        MessageBox::show(owner, QStringLiteral("密码含有无法使用的字符！"));
        break;
    case UserRule::NameTaken:
        MessageBox::show(owner, QStringLiteral("用户名已存在！"));
        break;
    case UserRule::LastAdministrator:
        MessageBox::show(owner, QStringLiteral("至少保留一个管理员！"));
        break;
    case UserRule::CurrentUser:
        MessageBox::show(owner, QStringLiteral("当前用户(") + userName + QStringLiteral(")正在使用，无法删除！"),
                         QStringLiteral("提示"));
        break;
    }
    return false;
}

} // namespace quorrel
