#include "gui/settings/AddUserWindow.h"

#include "ui_AddUserWindow.h"

#include "core/shop/Users.h"
#include "gui/settings/UserChecks.h"
#include "gui/widgets/MessageBox.h"

namespace quorrel {

AddUserWindow::AddUserWindow(Users& users, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AddUserWindow>()), m_users(users)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->标签1->setText(
        QStringLiteral("*普通用户和管理员区别：\r\n\r\n1.不可设置店铺信息\r\n\r\n2.没有管理用户的权限\r\n\r\n3."
                       "不可更改销售票号、收银员\r\n\r\n4.不可删除销售记录\r\n\r\n5.不可取消“保存销售记录。"));
    m_ui->组合框_qx->setCurrentIndex(0);
    connect(m_ui->按钮1, &QPushButton::clicked, this, &AddUserWindow::addClicked);
    connect(m_ui->按钮2, &QPushButton::clicked, this, &QDialog::close);
}

AddUserWindow::~AddUserWindow() = default;

void AddUserWindow::addClicked()
{
    const UserForm form{m_ui->编辑框_yhm->text(), m_ui->编辑框_mm->text(), m_ui->编辑框8->text(),
                        m_ui->组合框_qx->currentText()};
    if (form.name.isEmpty()) {
        MessageBox::show(this, QStringLiteral("用户不能为空！"));
        return;
    }
    if (form.password.isEmpty()) {
        MessageBox::show(this, QStringLiteral("密码不能为空！"));
        return;
    }
    if (form.confirmation.isEmpty()) {
        MessageBox::show(this, QStringLiteral("请输入确认密码！"));
        return;
    }
    if (form.role.isEmpty()) {
        MessageBox::show(this, QStringLiteral("请选择权限！"));
        return;
    }
    if (!allowedOrReport(this, m_users.ruleForNew(form)))
        return;
    const Result<UserRule> added = m_users.add(form);
    if (!added)
        MessageBox::failed(this, QStringLiteral("添加失败！"), added.error());
    else
        allowedOrReport(this, added);
}

} // namespace quorrel
