#include "gui/settings/EditUserWindow.h"

#include "ui_EditUserWindow.h"

#include "gui/settings/UserChecks.h"
#include "gui/widgets/MessageBox.h"

namespace quorrel {

EditUserWindow::EditUserWindow(Users& users, User user, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::EditUserWindow>()), m_users(users), m_user(std::move(user))
{
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->标签1->setText(
        QStringLiteral("\r\n 普通用户不和管理元区别：\r\n\r\n 1.不可设置店铺信息\r\n\r\n 2.没有管理用户的权限\r\n\r\n "
                       "3.不可删除收银员\r\n\r\n 4.不可删除销售记录\r\n\r\n 5.不可取消包保存销售记录\r\n."));
    m_ui->编辑框_yhm->setText(m_user.name);
    // A stored role that is neither entry leaves the choice empty: it must be chosen again.
    m_ui->组合框_qx->setCurrentIndex(m_ui->组合框_qx->findText(m_user.role));
    connect(m_ui->按钮1, &QPushButton::clicked, this, &EditUserWindow::changeClicked);
    connect(m_ui->按钮2, &QPushButton::clicked, this, &QDialog::close);
}

EditUserWindow::~EditUserWindow() = default;

void EditUserWindow::changeClicked()
{
    const UserForm form{m_ui->编辑框_yhm->text(), m_ui->编辑框_mm->text(), m_ui->编辑框8->text(),
                        m_ui->组合框_qx->currentText()};
    if (form.name.isEmpty()) {
        MessageBox::show(this, QStringLiteral("用户不能为空！"));
        return;
    }
    if (form.role.isEmpty()) {
        MessageBox::show(this, QStringLiteral("请选择权限！"));
        return;
    }
    // The rules, the last administrator's among them, are the users' own.
    if (!allowedOrReport(this, m_users.ruleForChange(m_user, form)))
        return;
    const Result<UserRule> changed = m_users.update(m_user, form);
    if (!changed) {
        MessageBox::failed(this, QStringLiteral("数据修改失败！"), changed.error());
        return;
    }
    if (!allowedOrReport(this, changed))
        return;
    m_user.name = form.name.trimmed(); // as stored
    m_user.role = form.role;
    MessageBox::show(this, QStringLiteral("修改成功！下次登录生效！"));
}

} // namespace quorrel
