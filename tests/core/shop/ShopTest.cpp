// The shop's state in one place against a real shop database: the settings row kept after one
// read, every change announced once it is stored (and never when it is not), changes made by
// another program announced by the same signals, and the rules for users decided here.

#include "core/shop/Shop.h"

#include "core/shop/Session.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "support/PrintTo.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

class ShopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shop.writeFactory();
        ASSERT_TRUE(session.db.open(shop.databasePath(), schema::kDatabaseKey)) << session.db.lastError().toStdString();
    }
    // The columns announced since the spy was made, in order.
    static QStringList announced(const QSignalSpy& spy)
    {
        QStringList columns;
        for (const QList<QVariant>& call : spy)
            columns << call.at(0).toString();
        return columns;
    }
    User user(const QString& name)
    {
        const auto found = session.shop.users().byName(name);
        EXPECT_TRUE(found && *found) << name.toStdString();
        return found && *found ? **found : User{};
    }
    UserForm form(const QString& name, const QString& role, const QString& password = QString())
    {
        return UserForm{name, password, password, role};
    }

    TempShop shop;
    Session session;
    ShopSettings& settings = session.shop.settings();
};

TEST_F(ShopTest, TheSettingsRowIsReadOnceAndEveryChangeIsAnnouncedWhereverItWasMade)
{
    QSignalSpy changed(&settings, &ShopSettings::changed);
    EXPECT_EQ(settings.shopName(), u"我的小店"_s);
    EXPECT_EQ(settings.ticketFormat(), 2);

    // Kept: another program taking the table away does not change what this one read.
    shop.exec(u"alter table 配置文件 rename to 配置文件_改名"_s);
    EXPECT_EQ(settings.shopName(), u"我的小店"_s);
    EXPECT_EQ(settings.printSettings()->printUnitPrice, true);
    // A write that fails is reported, keeps the value and announces nothing.
    const Done failed = settings.setShopText(u"新店"_s, u"备注"_s);
    EXPECT_FALSE(failed);
    EXPECT_FALSE(failed.error().isEmpty());
    EXPECT_EQ(settings.shopName(), u"我的小店"_s);
    EXPECT_TRUE(changed.isEmpty());
    shop.exec(u"alter table 配置文件_改名 rename to 配置文件"_s);

    ASSERT_TRUE(settings.setShopText(u"新店"_s, u"欢迎"_s));
    ASSERT_TRUE(settings.setFlag(setting::kPrintUnitPrice, false));
    EXPECT_EQ(announced(changed), (QStringList{setting::kShopName, setting::kRemark, setting::kPrintUnitPrice}));
    EXPECT_EQ(settings.remark(), u"欢迎"_s);
    EXPECT_FALSE(settings.printSettings()->printUnitPrice);
    EXPECT_EQ(shop.scalar(u"select 店名 from 配置文件 where ID=1"_s), u"新店"_s);

    // Another till changes two columns and the logo: exactly those are announced.
    ASSERT_TRUE(settings.logoImage());
    changed.clear();
    shop.exec(u"update 配置文件 set 折扣='真', 纸张边距='25', logo=? where ID=1"_s, {QByteArray("GIF89a")});
    session.shop.changedElsewhere(Shop::Table::Settings);
    EXPECT_EQ(announced(changed), (QStringList{setting::kDiscount, setting::kPaperMargin, setting::kLogo}));
    EXPECT_EQ(settings.flag(setting::kDiscount), Flag::On);
    EXPECT_EQ(settings.paperMargin(), 25);
    EXPECT_EQ(settings.logoImage(), QByteArray("GIF89a"));

    // A row that was never read reports its failure at each read, and reads once it can.
    Session other;
    ASSERT_TRUE(other.db.open(shop.databasePath(), schema::kDatabaseKey));
    shop.exec(u"alter table 配置文件 rename to 配置文件_改名"_s);
    EXPECT_EQ(other.shop.settings().shopName(), std::nullopt);
    EXPECT_EQ(other.shop.settings().printSettings(), std::nullopt);
    shop.exec(u"alter table 配置文件_改名 rename to 配置文件"_s);
    EXPECT_EQ(other.shop.settings().shopName(), u"新店"_s);
}

TEST_F(ShopTest, ListsAnnounceAStoredChangeOnceAndAFailedOneNever)
{
    Shop& s = session.shop;
    QSignalSpy products(&s.products(), &Products::changed);
    QSignalSpy methods(&s.paymentMethods(), &PaymentMethods::changed);
    QSignalSpy customers(&s.customers(), &Customers::changed);
    ASSERT_TRUE(s.products().add(u"可乐"_s, u"3.00"_s));
    ASSERT_TRUE(s.products().remember(u"雪碧"_s, u"２．５"_s));
    ASSERT_TRUE(s.paymentMethods().add(u"赊账"_s));
    ASSERT_TRUE(s.customers().add(u"张三"_s, u"13800000001"_s));
    EXPECT_EQ(products.size(), 2);
    EXPECT_EQ(methods.size(), 1);
    EXPECT_EQ(customers.size(), 1);
    EXPECT_EQ(shop.scalar(u"select 单价 from 商品名称 where 名称='雪碧'"_s), u"2.50"_s);

    for (const QString& table : {u"商品名称"_s, u"付款方式"_s, u"客户资料"_s})
        shop.exec(u"alter table "_s + table + u" rename to 旧_"_s + table);
    EXPECT_FALSE(s.products().update(1, u"百事"_s, u"3.00"_s));
    EXPECT_FALSE(s.products().remember(u"芬达"_s, u"3"_s));
    EXPECT_FALSE(s.paymentMethods().remove(1));
    const Done failed = s.customers().remove(1);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(failed.error().contains(u"客户资料"_s)) << failed.error().toStdString();
    EXPECT_EQ(products.size(), 2);
    EXPECT_EQ(methods.size(), 1);
    EXPECT_EQ(customers.size(), 1);

    // What another till changed comes in through the same signals.
    s.changedElsewhere(Shop::Table::Customers);
    s.changedElsewhere(Shop::Table::Products);
    EXPECT_EQ(customers.size(), 2);
    EXPECT_EQ(products.size(), 3);
}

TEST_F(ShopTest, TheRulesForUsersKeepAnAdministratorAndTheUserLoggedIn)
{
    Users& users = session.shop.users();
    QSignalSpy changed(&users, &Users::changed);
    const User admin = user(u"admin"_s);

    EXPECT_EQ(users.ruleForChange(admin, form(u"admin"_s, kOrdinaryRole)), UserRule::LastAdministrator);
    EXPECT_EQ(users.update(admin, form(u"admin"_s, kOrdinaryRole)), UserRule::LastAdministrator);
    EXPECT_EQ(users.remove(admin, 0), UserRule::LastAdministrator);
    EXPECT_EQ(users.ruleForRemoval(admin, admin.id), UserRule::CurrentUser);
    EXPECT_TRUE(changed.isEmpty()) << "nothing was stored";

    EXPECT_EQ(users.add(form(u"ADMIN"_s, kOrdinaryRole)), UserRule::NameTaken);
    EXPECT_EQ(users.add(UserForm{u"小王"_s, u"1"_s, u"2"_s, kOrdinaryRole}), UserRule::PasswordsDiffer);
    EXPECT_EQ(users.add(form(u"小王"_s, kOrdinaryRole, u"a'b"_s)), UserRule::PasswordHasQuote);
    EXPECT_EQ(users.add(form(u"小王"_s, kOrdinaryRole, u"😀"_s)), UserRule::PasswordUnusable);
    EXPECT_EQ(users.add(form(u"老板"_s, kAdministratorRole, u"1"_s)), UserRule::Allowed);
    EXPECT_EQ(changed.size(), 1);

    // With a second administrator the first may step down, then not the second.
    EXPECT_EQ(users.update(admin, form(u"admin"_s, kOrdinaryRole)), UserRule::Allowed);
    const User boss = user(u"老板"_s);
    EXPECT_EQ(users.ruleForRemoval(boss, admin.id), UserRule::LastAdministrator);
    EXPECT_EQ(shop.scalar(u"select 权限 from 用户登录 where ID=?"_s, {admin.id}), kOrdinaryRole);

    // Renaming or deleting the remembered user changes the settings row, which says so.
    ASSERT_TRUE(session.shop.settings().setRememberedUser(u"admin"_s));
    QSignalSpy settingsChanged(&session.shop.settings(), &ShopSettings::changed);
    EXPECT_EQ(users.update(user(u"admin"_s), form(u"店员"_s, kOrdinaryRole)), UserRule::Allowed);
    EXPECT_EQ(session.shop.settings().rememberedUser(), u"店员"_s);
    EXPECT_TRUE(announced(settingsChanged).contains(setting::kRememberedUser));
    EXPECT_EQ(users.remove(user(u"店员"_s), boss.id), UserRule::Allowed);
    EXPECT_EQ(session.shop.settings().rememberedUser(), QString());
}

TEST(DatabaseErrorTest, AnErrorIsAlwaysTheOneOfTheLastStatement)
{
    TempShop shop;
    shop.writeFactory();
    Database db;
    ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey));
    EXPECT_FALSE(db.execute(u"update 没有这张表 set x=1"_s));
    EXPECT_TRUE(db.lastError().contains(u"没有这张表"_s));
    EXPECT_TRUE(db.execute(u"update 配置文件 set 店名='x' where ID=1"_s));
    EXPECT_TRUE(db.lastError().isEmpty()) << db.lastError().toStdString();
    EXPECT_FALSE(db.query(u"select * from 也没有"_s));
    EXPECT_TRUE(db.lastError().contains(u"也没有"_s));
    EXPECT_TRUE(db.query(u"select 1"_s));
    EXPECT_TRUE(db.lastError().isEmpty());
}

} // namespace
} // namespace quorrel::test
