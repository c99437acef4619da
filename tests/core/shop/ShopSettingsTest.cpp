// The settings row through ShopSettings against a real shop database: flags, the remembered login,
// and the stored numbers that become coordinates, whatever a hand-edited file holds.

#include "core/shop/ShopSettings.h"

#include "core/store/Database.h"
#include "core/store/Schema.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <limits>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

class ShopSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shop.writeFactory();
        ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey)) << db.lastError().toStdString();
    }
    // Writes the column as another program would; the settings then read the row again.
    void store(const QString& column, const QVariant& value)
    {
        ASSERT_TRUE(db.execute(u"update 配置文件 set "_s + column + u"=? where ID=1"_s, {value}))
            << db.lastError().toStdString();
        ASSERT_TRUE(settings.reload());
    }

    TempShop shop;
    Database db;
    ShopSettings settings{db};
};

TEST_F(ShopSettingsTest, StoredMarginsAndOffsetsAreCutToWholeTenthsWithinBounds)
{
    const struct
    {
        QVariant stored;
        int expected;
    } cases[] = {{u"99999999999"_s, kCoordinateLimit},
                 {u"1e308"_s, kCoordinateLimit},
                 {u"-1e308"_s, -kCoordinateLimit},
                 {1e308, kCoordinateLimit},
                 {qlonglong(std::numeric_limits<qint64>::min()), -kCoordinateLimit},
                 {u"nan"_s, 0},
                 {u"12.9"_s, 12},
                 {u"-3.7"_s, -3},
                 {QVariant(), 0}};
    for (const auto& c : cases) {
        store(setting::kPaperMargin, c.stored);
        store(setting::kPrintOffset, c.stored);
        EXPECT_EQ(settings.paperMargin(), c.expected) << c.stored.toString().toStdString();
        EXPECT_EQ(settings.printOffset(), c.expected) << c.stored.toString().toStdString();
    }
}

TEST_F(ShopSettingsTest, TheReceiptTakesTheLogoOffsetWithinItsBoundsWhileTheWindowSeesTheStoredNumber)
{
    const struct
    {
        QVariant stored;
        int receipt;
        int window;
    } cases[] = {{qlonglong(std::numeric_limits<int>::max()), kLogoOffsetLimit, std::numeric_limits<int>::max()},
                 {qlonglong(std::numeric_limits<qint64>::max()), kLogoOffsetLimit, std::numeric_limits<int>::max()},
                 {1e308, kLogoOffsetLimit, std::numeric_limits<int>::max()},
                 {u"99999999999"_s, kLogoOffsetLimit, std::numeric_limits<int>::max()},
                 {-7, 0, -7},
                 {-1e308, 0, std::numeric_limits<int>::min()},
                 {15.8, 15, 15}};
    for (const auto& c : cases) {
        store(setting::kLogoOffset, c.stored);
        EXPECT_EQ(settings.logoOffset(), c.receipt) << c.stored.toString().toStdString();
        EXPECT_EQ(settings.storedLogoOffset(), c.window) << c.stored.toString().toStdString();
    }
}

TEST_F(ShopSettingsTest, FlagsAndTheRememberedLoginRoundTrip)
{
    EXPECT_EQ(settings.flag(setting::kCustomer), Flag::Off);
    EXPECT_EQ(settings.flag(setting::kPaymentMethod), Flag::On);
    store(setting::kDiscount, u"yes"_s);
    EXPECT_EQ(settings.flag(setting::kDiscount), Flag::Unset);

    EXPECT_EQ(settings.directLogin(), false);
    ASSERT_TRUE(settings.setDirectLogin(true));
    EXPECT_EQ(settings.directLogin(), true);
    EXPECT_EQ(shop.scalar(u"select 直接登录 from 配置文件 where ID=1"_s), u"1"_s);
    store(setting::kDirectLogin, QVariant());
    EXPECT_EQ(settings.directLogin(), true) << "only \"0\" turns it off";

    // A name is a bound value: quotes are stored as typed.
    ASSERT_TRUE(settings.setRememberedUser(u"老王's \"店\""_s));
    EXPECT_EQ(settings.rememberedUser(), u"老王's \"店\""_s);

    EXPECT_EQ(settings.printLogo(), false);
    ASSERT_TRUE(settings.setPrintLogo(true));
    EXPECT_EQ(settings.printLogo(), true);
    EXPECT_EQ(shop.scalar(u"select 是否打印logo from 配置文件 where ID=1"_s), kOn);
}

TEST_F(ShopSettingsTest, AFailedStatementIsNoValueAndNoSuccess)
{
    db.close();
    EXPECT_EQ(settings.text(setting::kShopName), std::nullopt);
    EXPECT_EQ(settings.flag(setting::kPhone), std::nullopt);
    EXPECT_EQ(settings.directLogin(), std::nullopt);
    EXPECT_EQ(settings.paperMargin(), std::nullopt);
    EXPECT_EQ(settings.logoOffset(), std::nullopt);
    EXPECT_EQ(settings.logoImage(), std::nullopt);
    EXPECT_FALSE(settings.setDirectLogin(true));
    EXPECT_FALSE(settings.setRememberedUser(u"admin"_s));
    EXPECT_FALSE(settings.setLogoOffset(u"5"_s));
}

} // namespace
} // namespace quorrel::test
