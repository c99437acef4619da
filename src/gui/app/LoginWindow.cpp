#include "gui/app/LoginWindow.h"

#include "ui_LoginWindow.h"

#include "core/shop/Session.h"
#include "core/store/DatabaseFiles.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/Schema.h"
#include "core/store/ServerSchema.h"
#include "gui/app/Launcher.h"
#include "gui/app/SingleInstance.h"
#include "gui/widgets/BusyProgress.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>

namespace quorrel {

namespace {

const QString kExecuteFailed = QStringLiteral("数据执行失败！！");

// The banner across the top of the window.
QPixmap banner(const QSize& size)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    QLinearGradient gradient(0, 0, size.width(), 0);
    gradient.setColorAt(0, QColor(0x1f, 0x5f, 0x9f));
    gradient.setColorAt(1, QColor(0x4a, 0x9a, 0xd8));
    painter.fillRect(pixmap.rect(), gradient);
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(22); // regular weight: the bold face is a second large font file to load at start
    painter.setFont(font);
    painter.drawText(pixmap.rect().adjusted(0, 8, 0, 0), Qt::AlignCenter, QStringLiteral("Quorrel 收银系统"));
    return pixmap;
}

} // namespace

LoginWindow::LoginWindow(Session& session, SingleInstance& instance, QString databasePath, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::LoginWindow>()), m_session(session), m_instance(instance),
      m_databasePath(std::move(databasePath))
{
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->图片框1->setPixmap(banner(m_ui->图片框1->size()));

    connect(m_ui->组合框_用户名, &DropComboBox::aboutToDrop, this, &LoginWindow::refillUserList);
    connect(m_ui->选择框1, &QCheckBox::clicked, this, &LoginWindow::directLoginClicked);
    connect(m_ui->按钮_登录, &QPushButton::clicked, this, &LoginWindow::loginClicked);
    connect(m_ui->按钮_退出, &QPushButton::clicked, this, &LoginWindow::reject);
}

LoginWindow::~LoginWindow() = default;

LoginWindow::StartResult LoginWindow::start()
{
    if (!checkSingleInstance())
        return StartResult::EndProgram;
    switch (ensureAndOpenDatabase()) {
    case DatabaseResult::Restart:
        return StartResult::EndProgram;
    case DatabaseResult::Failed:
        show(); // nothing pre-filled; a login attempt reports its own failure
        return StartResult::LoginShown;
    case DatabaseResult::Opened:
        break;
    }
    return directOrPrefilledLogin() ? StartResult::DirectLogin : StartResult::LoginShown;
}

bool LoginWindow::checkSingleInstance()
{
    // The shop's data stays where it is found: a folder that cannot take the lock, the journal or a
    // new database is said plainly instead of starting another database somewhere else.
    const QString folder = QFileInfo(m_databasePath).absolutePath();
    if (!Database::isServerConnection(m_databasePath) && !QFileInfo(folder).isWritable()) {
        MessageBox::critical(nullptr, QStringLiteral("数据库所在的文件夹不可写：") + QDir::toNativeSeparators(folder));
        return false;
    }
    // A copy started by one that is ending waits for that one to let go of the lock.
    constexpr int kHandOverWaitMs = 5000;
    switch (m_instance.acquire(Launcher::isNewCopy() ? kHandOverWaitMs : 0)) {
    case SingleInstance::Result::Acquired:
        return true;
    case SingleInstance::Result::HeldByAnotherCopy:
        MessageBox::show(nullptr, QStringLiteral("程序已经运行!"));
        return false;
    case SingleInstance::Result::Failed:
        break;
    }
    MessageBox::critical(nullptr, QStringLiteral("无法创建锁文件：%1\n%2")
                                      .arg(QDir::toNativeSeparators(m_instance.lockPath()), m_instance.errorString()));
    return false;
}

LoginWindow::DatabaseResult LoginWindow::openServerDatabase()
{
    if (!m_session.db.open(m_databasePath, QByteArray(schema::kDatabaseKey))) {
        qWarning().noquote() << "database server not reached:" << m_session.db.lastError();
        MessageBox::critical(nullptr, m_session.db.serverUnreachable()
                                          ? QStringLiteral("无法连接数据库服务器！\n") + m_session.db.lastError()
                                          : QStringLiteral("连接数据库失败！！"));
        return DatabaseResult::Failed;
    }
    const std::optional<bool> shop = m_session.db.hasTable(QStringLiteral("销售记录"));
    if (!shop) {
        MessageBox::failed(nullptr, QStringLiteral("连接数据库失败！！"), m_session.db.lastError());
        m_session.db.close();
        return DatabaseResult::Failed;
    }
    // An empty database on the server is the first start of a shop there, as a missing file is.
    if (!*shop) {
        if (!MessageBox::question(nullptr, QStringLiteral("连接数据库失败！是否置入新的数据库"))) {
            m_session.db.close();
            return DatabaseResult::Failed;
        }
        if (const Done made = server::createShop(m_session.db); !made) {
            MessageBox::failed(nullptr, QStringLiteral("初始化失败！"), made.error());
            m_session.db.close();
            return DatabaseResult::Failed;
        }
        MessageBox::show(nullptr, QStringLiteral("初始化成功！"));
    }
    m_session.shop.forget();
    return DatabaseResult::Opened;
}

LoginWindow::DatabaseResult LoginWindow::ensureAndOpenDatabase()
{
    if (Database::isServerConnection(m_databasePath))
        return openServerDatabase();
    // This copy holds the lock: what an earlier run killed in the middle of a backup, reset,
    // restore or export left behind belongs to nobody any more.
    for (const QString& leftover : removeLeftovers(m_databasePath))
        qInfo().noquote() << "removed what an interrupted run left:" << leftover;
    if (!QFileInfo::exists(m_databasePath)) {
        if (!MessageBox::question(nullptr, QStringLiteral("连接数据库失败！是否置入新的数据库"))) {
            m_instance.release(); // the new copy must not find this one still running
            if (!Launcher::startNewCopy())
                qWarning() << "could not start a new copy of the program";
            return DatabaseResult::Restart;
        }
        QString error;
        if (writeFactoryDatabase(m_databasePath, &error)) {
            MessageBox::show(nullptr, QStringLiteral("初始化成功！"));
        } else {
            qWarning().noquote() << "factory database not written:" << error;
            MessageBox::show(nullptr, QStringLiteral("初始化失败！"));
        }
    }
    // A shop file of an earlier release is brought up to date as it opens; a big shop shows that
    // this takes a moment.
    BusyProgress upgrade(QStringLiteral("正在升级数据库，请稍候…"));
    const bool opened =
        m_session.db.open(m_databasePath, QByteArray(schema::kDatabaseKey), [&upgrade] { upgrade.tick(); });
    if (!opened) {
        qWarning().noquote() << "database not opened:" << m_session.db.lastError();
        MessageBox::critical(nullptr, QStringLiteral("连接数据库失败！！"));
        return DatabaseResult::Failed;
    }
    m_session.shop.forget(); // nothing read from another file is kept
    return DatabaseResult::Opened;
}

bool LoginWindow::directOrPrefilledLogin()
{
    ShopSettings& settings = m_session.shop.settings();
    // A failed read is reported and taken as on, as the stored text "0" alone turns it off.
    if (MessageBox::valueOrReport(this, settings.directLogin(), true)) {
        hide();
        m_session.currentUserId = 0; // the main window finds the remembered name's row
        m_session.currentUser = MessageBox::valueOrReport(this, settings.rememberedUser());
        if (!m_session.currentUser.isEmpty()) {
            emit loggedIn();
            return true;
        }
    }
    show();
    prefill();
    return false;
}

void LoginWindow::prefill()
{
    QString name = MessageBox::valueOrReport(this, m_session.shop.settings().rememberedUser());
    if (name.isEmpty())
        name = QStringLiteral("admin");
    // Only listed names can be picked from now on; the pre-filled one stands as the single entry
    // until the list drops down and is filled from the users table.
    QComboBox* combo = m_ui->组合框_用户名;
    combo->setEditable(false);
    combo->clear();
    combo->addItem(name);
    combo->setCurrentIndex(0);
    m_ui->编辑框_密码->setFocus();
}

void LoginWindow::refillUserList()
{
    QComboBox* combo = m_ui->组合框_用户名;
    const QString current = combo->currentText();
    combo->clear();
    const Result<QList<User>> users = m_session.shop.users().all();
    if (!users) {
        MessageBox::failed(this, MessageBox::kQueryFailed, users.error());
        return;
    }
    for (const User& user : *users)
        combo->addItem(user.name, user.id);
    const int index = combo->findText(current);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

void LoginWindow::directLoginClicked()
{
    if (const Done stored = m_session.shop.settings().setDirectLogin(true); !stored)
        MessageBox::failed(this, kExecuteFailed, stored.error());
}

void LoginWindow::loginClicked()
{
    const QString name = m_ui->组合框_用户名->currentText();
    if (name.isEmpty()) {
        MessageBox::show(this, QStringLiteral("用户名不能为空！"), QStringLiteral("提示"));
        return;
    }
    m_session.currentUser = name;
    const QString password = m_ui->编辑框_密码->text();
    if (password.contains(u'\'') || password.contains(u'"')) {
        MessageBox::information(this, QStringLiteral("密码里存在注入语句!"));
        return;
    }
    const Users::Login login = m_session.shop.users().logIn(name, password);
    switch (login.outcome) {
    case Users::LoginOutcome::QueryFailed:
        qWarning().noquote() << "login lookup failed:" << login.error;
        MessageBox::information(this, MessageBox::kQueryFailed);
        return;
    case Users::LoginOutcome::WrongPassword:
        MessageBox::show(this, QStringLiteral("请输入正确的密码！"), QStringLiteral("提示："));
        return;
    case Users::LoginOutcome::LoggedIn:
        break;
    }
    m_session.currentUserId = login.user.id;
    m_session.currentUser = login.user.name;
    m_session.currentRole = login.user.role;
    if (m_ui->选择框1->isChecked()) {
        if (const Done stored = m_session.shop.settings().setRememberedUser(login.user.name); !stored)
            MessageBox::failed(this, kExecuteFailed, stored.error());
    }
    emit loggedIn();
}

} // namespace quorrel
