// The shop database through the real SQLCipher engine: the factory file, which files are refused,
// the schema as select * returns it, record-set walks, typed reads, parameters and transactions.

#include "core/store/Database.h"
#include "core/shop/ShopSettings.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/Gbk.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/Transaction.h"
#include "support/PrintTo.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <chrono>
#include <cstring>
#include <thread>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

const QByteArray kKey = schema::kDatabaseKey;

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A database with the shop's tables and rows made directly with the engine: encrypted with `key`,
// or a plain SQLite file when `key` is null.
void makeEngineFile(const QString& path, const char* key)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    if (key) {
        ASSERT_EQ(sqlite3_key(db, key, static_cast<int>(std::strlen(key))), SQLITE_OK);
    }
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, schema::kCreateTables, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, schema::kFactoryRows, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    ASSERT_EQ(sqlite3_close(db), SQLITE_OK);
}

// All values of one column, walking the whole record set.
QStringList Column(Database& db, const QString& sql, const QString& column, const QVariantList& params = {})
{
    return columnValues(db, sql, column, params);
}

class DatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shop.writeFactory();
        ASSERT_TRUE(db.open(shop.databasePath(), kKey)) << db.lastError().toStdString();
    }

    QString count(const QString& table) { return shop.scalar(u"select count(*) from "_s + table); }

    TempShop shop;
    Database db;
};

// ---- the factory file and which files are opened ----------------------------------------------

TEST(DatabaseFactory, WrittenFileIsTheImageByteForByteAndEncrypted)
{
    TempShop shop;
    const QByteArray image = factoryDatabaseImage();
    ASSERT_GT(image.size(), 0);
    QString error;
    ASSERT_TRUE(writeFactoryDatabase(shop.databasePath(), &error)) << error.toStdString();
    EXPECT_EQ(readBytes(shop.databasePath()), image);

    // Encrypted: no SQLite header, no table names or user names in the clear.
    EXPECT_FALSE(image.startsWith(QByteArray("SQLite format 3", 16)));
    EXPECT_FALSE(image.contains(u"配置文件"_s.toUtf8()));
    EXPECT_FALSE(image.contains("admin"));

    Database db;
    EXPECT_TRUE(db.open(shop.databasePath(), kKey)) << db.lastError().toStdString();
    EXPECT_TRUE(db.isOpen());
    EXPECT_EQ(db.path(), shop.databasePath());
    db.close();
    EXPECT_FALSE(db.isOpen());
    // Opening and closing without a change leaves the file as it was.
    EXPECT_EQ(readBytes(shop.databasePath()), image);
}

TEST(DatabaseFactory, ReplacesAChangedFileAndRefusesAPathItCannotWrite)
{
    TempShop shop;
    shop.writeFactory();
    shop.exec(u"insert into 付款方式 (方式) values ('赊账')"_s);
    ASSERT_NE(readBytes(shop.databasePath()), factoryDatabaseImage());
    ASSERT_TRUE(writeFactoryDatabase(shop.databasePath()));
    EXPECT_EQ(readBytes(shop.databasePath()), factoryDatabaseImage());
    EXPECT_EQ(shop.scalar(u"select count(*) from 付款方式 where 方式='赊账'"_s), u"0"_s);

    const QString nowhere = shop.filePath(u"没有这个目录/ZoZ.mdb"_s);
    QString error;
    EXPECT_FALSE(writeFactoryDatabase(nowhere, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}

TEST(DatabaseFactory, OpensUnderAPathWithChineseNamesAndBlanks)
{
    TempShop shop;
    ASSERT_TRUE(QDir(shop.filePath(QString())).mkpath(u"小店 数据"_s));
    const QString path = shop.filePath(u"小店 数据/ZoZ.mdb"_s);
    ASSERT_TRUE(writeFactoryDatabase(path));
    Database db;
    ASSERT_TRUE(db.open(path, kKey)) << db.lastError().toStdString();
    EXPECT_EQ(ShopSettings(db).text(u"直接登录"_s), u"0"_s);
}

class DatabaseRefusedFileTest : public ::testing::Test
{
protected:
    // Open must refuse the file, report why, leave the file untouched and leave the object closed.
    void expectRefused(const QString& path, const QByteArray& key = kKey)
    {
        const bool existed = QFileInfo::exists(path);
        const QByteArray before = readBytes(path);
        Database db;
        EXPECT_FALSE(db.open(path, key));
        EXPECT_FALSE(db.isOpen());
        EXPECT_FALSE(db.lastError().isEmpty());
        EXPECT_EQ(db.query(u"select 1"_s), nullptr);
        EXPECT_FALSE(db.execute(u"create table t (a)"_s));
        EXPECT_EQ(QFileInfo::exists(path), existed);
        EXPECT_EQ(readBytes(path), before);
    }

    TempShop shop;
};

TEST_F(DatabaseRefusedFileTest, FactoryFileWithAnyOtherKey)
{
    shop.writeFactory();
    expectRefused(shop.databasePath(), "19970606");
    expectRefused(shop.databasePath(), "");
    expectRefused(shop.databasePath(), "1997060");
}

TEST_F(DatabaseRefusedFileTest, ShopFileEncryptedWithAnotherKey)
{
    const QString path = shop.filePath(u"other-key.mdb"_s);
    makeEngineFile(path, "12345678");
    expectRefused(path);

    // The same file does open with its own key: it is the key that is refused, not the file.
    Database db;
    EXPECT_TRUE(db.open(path, "12345678")) << db.lastError().toStdString();
}

// Files written from the factory image open with a key derived at build time; any other file with
// the program's key (its own salt) still opens through the password.
TEST(DatabaseFactory, AFileWithTheProgramsKeyButItsOwnSaltOpensToo)
{
    TempShop shop;
    const QString path = shop.filePath(u"own-salt.mdb"_s);
    makeEngineFile(path, kKey);
    ASSERT_NE(readBytes(path).left(16), factoryDatabaseImage().left(16));
    EXPECT_TRUE(knownRawKey(path, kKey).isEmpty());
    Database db;
    ASSERT_TRUE(db.open(path, kKey)) << db.lastError().toStdString();
    EXPECT_NE(db.query(u"select * from 配置文件"_s), nullptr);

    shop.writeFactory();
    EXPECT_FALSE(knownRawKey(shop.databasePath(), kKey).isEmpty());
    EXPECT_TRUE(knownRawKey(shop.databasePath(), "19970606").isEmpty());
}

TEST_F(DatabaseRefusedFileTest, PlainUnencryptedSqliteFile)
{
    const QString path = shop.filePath(u"plain.mdb"_s);
    makeEngineFile(path, nullptr);
    ASSERT_TRUE(readBytes(path).startsWith(QByteArray("SQLite format 3", 16)));
    expectRefused(path);
}

TEST_F(DatabaseRefusedFileTest, TextFilesShortAndLong)
{
    const QString shortText = shop.filePath(u"short.mdb"_s);
    writeBytes(shortText, "hello, this is no database\n");
    expectRefused(shortText);

    const QString longText = shop.filePath(u"long.mdb"_s);
    writeBytes(longText, QByteArray("Standard Jet DB, or so it says. ").repeated(1000));
    expectRefused(longText);
}

TEST_F(DatabaseRefusedFileTest, EmptyMissingAndDirectory)
{
    const QString empty = shop.filePath(u"empty.mdb"_s);
    writeBytes(empty, QByteArray());
    expectRefused(empty);
    EXPECT_EQ(QFileInfo(empty).size(), 0);

    expectRefused(shop.databasePath()); // never written
    EXPECT_FALSE(QFileInfo::exists(shop.databasePath())) << "opening must not create the file";

    expectRefused(shop.filePath(QString()));
}

TEST_F(DatabaseRefusedFileTest, ARefusedOpenClosesThePreviousConnectionAndTheObjectCanOpenAgain)
{
    shop.writeFactory();
    const QString plain = shop.filePath(u"plain.mdb"_s);
    makeEngineFile(plain, nullptr);

    Database db;
    ASSERT_TRUE(db.open(shop.databasePath(), kKey));
    EXPECT_FALSE(db.open(plain, kKey));
    EXPECT_FALSE(db.isOpen());
    EXPECT_EQ(db.query(u"select * from 配置文件"_s), nullptr);
    ASSERT_TRUE(db.open(shop.databasePath(), kKey)) << db.lastError().toStdString();
    EXPECT_EQ(ShopSettings(db).text(u"ID"_s), u"1"_s);
}

// ---- schema ---------------------------------------------------------------------------------------

struct ColumnSpec
{
    QString name;
    QString type;
};

struct TableSpec
{
    QString name;
    QList<ColumnSpec> columns;
};

QList<TableSpec> designSchema()
{
    const QString key = u"INTEGER"_s, text = u"TEXT"_s, whole = u"INTEGER"_s, date = u"TEXT"_s, blob = u"BLOB"_s;
    return {
        {u"配置文件"_s,
         {{u"ID"_s, key},
          {u"店名"_s, text},
          {u"全局单号格式"_s, text},
          {u"备注"_s, text},
          {u"客户"_s, text},
          {u"电话"_s, text},
          {u"折扣"_s, text},
          {u"付款方式的选中"_s, text},
          {u"保存销售记录"_s, text},
          {u"显示打印完毕"_s, text},
          {u"提示再次打印"_s, text},
          {u"打印单价"_s, text},
          {u"纸张边距"_s, text},
          {u"打印偏差"_s, text},
          {u"用户登录"_s, text},
          {u"直接登录"_s, text},
          {u"logo偏差"_s, whole},
          {u"是否打印logo"_s, text},
          {u"logo"_s, blob}}},
        {u"用户登录"_s, {{u"ID"_s, key}, {u"用户名"_s, text}, {u"权限"_s, text}, {u"密码"_s, text}}},
        {u"商品名称"_s, {{u"ID"_s, key}, {u"名称"_s, text}, {u"单价"_s, text}}},
        {u"付款方式"_s, {{u"ID"_s, key}, {u"方式"_s, text}}},
        {u"客户资料"_s, {{u"ID"_s, key}, {u"姓名"_s, text}, {u"电话"_s, text}}},
        {u"销售记录"_s,
         {{u"ID"_s, key},
          {u"销售票号"_s, text},
          {u"销售时间"_s, date},
          {u"数量"_s, text},
          {u"金额"_s, text},
          {u"收银员"_s, text},
          {u"备注"_s, text},
          {u"付款方式"_s, text},
          {u"实收"_s, text},
          {u"找零"_s, text},
          {u"收银台"_s, text}}},
        {u"销售详情"_s,
         {{u"ID"_s, key},
          {u"关联"_s, whole},
          {u"名称"_s, text},
          {u"数量"_s, text},
          {u"单价"_s, text},
          {u"金额"_s, text},
          {u"折后"_s, text},
          {u"备注"_s, text},
          {u"折扣"_s, text}}},
    };
}

TEST_F(DatabaseTest, HoldsExactlyTheSevenTables)
{
    QStringList expected;
    for (const TableSpec& table : designSchema())
        expected << table.name;
    // Besides the shop's seven: the number of the newest sale once it is deleted, never given again,
    // the lookup tables of the name box's completion and of the customer search, and the log of
    // changes to stored sales.
    expected << u"销售变更"_s << u"末单票号"_s << u"商品前缀"_s << u"客户电话片段"_s << u"客户电话待办"_s;
    QStringList tables =
        Column(db, u"select name from sqlite_master where type='table' and name not like 'sqlite%'"_s, u"name"_s);
    tables.sort();
    expected.sort();
    EXPECT_EQ(tables, expected);
}

TEST_F(DatabaseTest, ColumnsAreInDesignOrderWithTheirTypes)
{
    for (const TableSpec& table : designSchema()) {
        SCOPED_TRACE(table.name.toStdString());
        auto info = db.query(u"pragma table_info("_s + table.name + u")"_s);
        ASSERT_NE(info, nullptr) << db.lastError().toStdString();
        info->moveFirst();
        int position = 0;
        while (!info->atEnd()) {
            ASSERT_LT(position, table.columns.size()) << "extra column " << info->text(u"name"_s).toStdString();
            EXPECT_EQ(info->text(u"cid"_s).toInt(), position);
            EXPECT_EQ(info->text(u"name"_s), table.columns[position].name);
            EXPECT_EQ(info->text(u"type"_s).toUpper(), table.columns[position].type)
                << info->text(u"name"_s).toStdString();
            EXPECT_EQ(info->text(u"pk"_s), position == 0 ? u"1"_s : u"0"_s);
            ++position;
            info->moveNext();
        }
        EXPECT_EQ(position, table.columns.size());
    }
}

TEST_F(DatabaseTest, SelectStarPositionsMatchTheColumnNames)
{
    // One row per table whose every column holds its own name; positions and names must agree.
    for (const TableSpec& table : designSchema()) {
        SCOPED_TRACE(table.name.toStdString());
        QStringList names, places;
        QVariantList values;
        for (qsizetype i = 1; i < table.columns.size(); ++i) {
            names << table.columns[i].name;
            places << u"?"_s;
            values << table.columns[i].name;
        }
        ASSERT_TRUE(db.execute(u"insert into ["_s + table.name + u"] ("_s + names.join(u',') + u") values ("_s +
                                   places.join(u',') + u")"_s,
                               values))
            << db.lastError().toStdString();
        const qint64 id = db.lastInsertId();
        auto records = db.query(u"select * from ["_s + table.name + u"] where ID=?"_s, {id});
        ASSERT_NE(records, nullptr) << db.lastError().toStdString();
        records->moveFirst();
        ASSERT_FALSE(records->atEnd());
        ASSERT_EQ(records->columnCount(), table.columns.size());
        EXPECT_EQ(records->readField(1), QVariant(qlonglong(id)));
        EXPECT_EQ(records->readField(u"ID"_s), QVariant(qlonglong(id)));
        for (int position = 2; position <= table.columns.size(); ++position) {
            const QString& name = table.columns[position - 1].name;
            EXPECT_EQ(records->readField(position).toString(), name) << "position " << position;
            EXPECT_EQ(records->readField(name).toString(), name);
            EXPECT_EQ(records->text(position), name);
        }
        // Past the last column there is nothing.
        EXPECT_EQ(records->readField(table.columns.size() + 1), QVariant(QString()));
        records->moveNext();
        EXPECT_TRUE(records->atEnd());
    }
}

// ---- the factory contents -----------------------------------------------------------------------

TEST_F(DatabaseTest, FactorySettingsRow)
{
    EXPECT_EQ(count(u"配置文件"_s), u"1"_s);
    auto row = db.query(u"select * from [配置文件] where [ID]=1"_s);
    ASSERT_NE(row, nullptr) << db.lastError().toStdString();
    row->moveFirst();
    ASSERT_FALSE(row->atEnd());
    EXPECT_EQ(row->readField(u"ID"_s), QVariant(qlonglong(1)));

    for (const QString& flag : {u"客户"_s, u"电话"_s, u"折扣"_s, u"付款方式的选中"_s, u"保存销售记录"_s,
                                u"显示打印完毕"_s, u"提示再次打印"_s, u"打印单价"_s, u"是否打印logo"_s}) {
        const QString value = row->text(flag);
        EXPECT_TRUE(value == kOn || value == kOff) << flag.toStdString() << " = " << value.toStdString();
    }
    EXPECT_EQ(row->text(u"直接登录"_s), u"0"_s);
    const QString format = row->text(u"全局单号格式"_s);
    EXPECT_TRUE(format == u"1"_s || format == u"2"_s) << format.toStdString();
    EXPECT_EQ(row->text(u"纸张边距"_s), u"0"_s);
    EXPECT_EQ(row->text(u"打印偏差"_s), u"0"_s);
    EXPECT_EQ(row->readField(u"logo偏差"_s).toLongLong(), 0);
    EXPECT_TRUE(row->text(u"logo"_s).isEmpty());
    row->moveNext();
    EXPECT_TRUE(row->atEnd());
}

TEST_F(DatabaseTest, FactoryAdminUserAndPaymentMethods)
{
    auto users = db.query(u"select * from 用户登录"_s);
    ASSERT_NE(users, nullptr);
    users->moveFirst();
    ASSERT_FALSE(users->atEnd());
    EXPECT_EQ(users->text(u"用户名"_s), u"admin"_s);
    EXPECT_EQ(users->text(u"权限"_s), u"管理员"_s);
    EXPECT_EQ(users->text(u"密码"_s), u"d41d8cd98f00b204e9800998ecf8427e"_s);
    EXPECT_EQ(users->text(u"密码"_s), passwordDigest(QString()));
    users->moveNext();
    EXPECT_TRUE(users->atEnd()) << "the factory file has one user";
    users->close();

    // The login check as the login window makes it.
    EXPECT_EQ(Column(db, u"select * from 用户登录 where 用户名=? and 密码=?"_s, u"权限"_s,
                     {u"admin"_s, passwordDigest(QString())}),
              QStringList{u"管理员"_s});

    const QStringList methods = Column(db, u"select * from 付款方式"_s, u"方式"_s);
    EXPECT_TRUE(methods.contains(u"现金"_s)) << methods.join(u',').toStdString();
    EXPECT_EQ(methods.size(), count(u"付款方式"_s).toInt());
}

// ---- reading fields -----------------------------------------------------------------------------

TEST_F(DatabaseTest, MissingColumnsNullsAndPositionsOutOfRangeReadAsEmptyText)
{
    ASSERT_TRUE(db.execute(u"delete from 商品名称"_s));
    ASSERT_TRUE(db.execute(u"insert into 商品名称 (名称,单价) values (NULL,'9.90')"_s));
    auto row = db.query(u"select * from 商品名称"_s);
    ASSERT_NE(row, nullptr) << db.lastError().toStdString();
    row->moveFirst();
    ASSERT_FALSE(row->atEnd());
    for (const QVariant& value : {row->readField(u"代码"_s), row->readField(u"名称"_s), row->readField(QString()),
                                  row->readField(0), row->readField(-1), row->readField(4), row->readField(2)}) {
        EXPECT_EQ(value.typeId(), QMetaType::QString);
        EXPECT_TRUE(value.toString().isEmpty());
    }
    EXPECT_EQ(row->text(u"代码"_s), QString());
    EXPECT_EQ(row->text(u"名称"_s), QString());
    EXPECT_EQ(row->text(u"单价"_s), u"9.90"_s);
    // The product list's "代码 + 名称" is therefore the name alone.
    EXPECT_EQ(row->text(u"代码"_s) + u"可乐"_s, u"可乐"_s);

    auto settings = db.query(u"select * from 配置文件 where 1"_s);
    ASSERT_NE(settings, nullptr);
    settings->moveFirst();
    EXPECT_EQ(settings->readField(u"logo"_s), QVariant(QString())); // NULL blob
    EXPECT_EQ(settings->readField(u"没有的列"_s), QVariant(QString()));
}

TEST_F(DatabaseTest, FieldsComeBackTyped)
{
    const QByteArray bytes("\x89PNG\r\n\x1a\n", 8);
    ASSERT_TRUE(db.execute(u"update 配置文件 set logo=?, logo偏差=? where ID=1"_s, {bytes, 12}));
    auto row = db.query(u"select ID, 店名, logo, logo偏差, 1.5 as 小数, 纸张边距 from 配置文件"_s);
    ASSERT_NE(row, nullptr);
    row->moveFirst();
    ASSERT_FALSE(row->atEnd());
    EXPECT_EQ(row->readField(u"ID"_s).typeId(), QMetaType::LongLong);
    EXPECT_EQ(row->readField(u"ID"_s).toLongLong(), 1);
    EXPECT_EQ(row->readField(u"店名"_s).typeId(), QMetaType::QString);
    EXPECT_EQ(row->readField(u"logo"_s).typeId(), QMetaType::QByteArray);
    EXPECT_EQ(row->readField(u"logo"_s).toByteArray(), bytes);
    EXPECT_EQ(row->readField(u"logo偏差"_s), QVariant(qlonglong(12)));
    EXPECT_EQ(row->readField(u"小数"_s), QVariant(1.5));
    // Text columns hold number texts as texts, even when written as numbers.
    EXPECT_EQ(row->readField(u"纸张边距"_s), QVariant(u"0"_s));

    // As text: plain decimals for numbers.
    EXPECT_EQ(row->text(u"ID"_s), u"1"_s);
    EXPECT_EQ(row->text(u"logo偏差"_s), u"12"_s);
    EXPECT_EQ(row->text(u"小数"_s), u"1.5"_s);
    EXPECT_EQ(row->text(1), u"1"_s);
}

TEST_F(DatabaseTest, ColumnNamesAreFoundWithoutRegardToLetterCase)
{
    auto row = db.query(u"select * from 配置文件 where id=1"_s);
    ASSERT_NE(row, nullptr);
    row->moveFirst();
    EXPECT_EQ(row->text(u"id"_s), u"1"_s);
    EXPECT_EQ(row->text(u"Id"_s), u"1"_s);
    EXPECT_EQ(row->text(u"LOGO偏差"_s), u"0"_s);
}

// ---- walking record sets ------------------------------------------------------------------------

TEST_F(DatabaseTest, WalkVisitsEveryRowOnceAndMoveFirstStartsAgain)
{
    ASSERT_TRUE(db.execute(u"delete from 付款方式"_s));
    for (const QString& method : {u"现金"_s, u"微信"_s, u"支付宝"_s})
        ASSERT_TRUE(db.execute(u"insert into 付款方式 (方式) values (?)"_s, {method}));

    auto records = db.query(u"select * from 付款方式 order by ID"_s);
    ASSERT_NE(records, nullptr);
    for (int pass = 0; pass < 2; ++pass) {
        QStringList seen;
        records->moveFirst();
        while (!records->atEnd()) {
            seen << records->text(2);
            records->moveNext();
        }
        EXPECT_EQ(seen, (QStringList{u"现金"_s, u"微信"_s, u"支付宝"_s})) << "pass " << pass;
        // Moving past the end stays at the end and reads nothing.
        records->moveNext();
        EXPECT_TRUE(records->atEnd());
        EXPECT_EQ(records->readField(2), QVariant(QString()));
        EXPECT_EQ(records->text(u"方式"_s), QString());
    }

    // MoveFirst in the middle of a walk goes back to the first row.
    records->moveFirst();
    records->moveNext();
    EXPECT_EQ(records->text(2), u"微信"_s);
    records->moveFirst();
    EXPECT_EQ(records->text(2), u"现金"_s);
    records->moveFirst();
    EXPECT_EQ(records->text(2), u"现金"_s) << "a second MoveFirst must not skip a row";

    records->close();
    EXPECT_TRUE(records->atEnd());
    EXPECT_EQ(records->text(2), QString());
    records->moveFirst();
    records->moveNext();
    EXPECT_TRUE(records->atEnd());
    records->close(); // twice is harmless
}

TEST_F(DatabaseTest, EmptyResultIsAtEndAtOnce)
{
    auto records = db.query(u"select * from 销售记录 where 销售票号=?"_s, {u"没有这张单"_s});
    ASSERT_NE(records, nullptr) << "an empty result is no failure";
    EXPECT_FALSE(records->failed());
    records->moveFirst();
    EXPECT_TRUE(records->atEnd());
    EXPECT_EQ(records->columnCount(), 11);
    EXPECT_EQ(records->readField(u"销售票号"_s), QVariant(QString()));
    EXPECT_EQ(records->readField(1), QVariant(QString()));
    records->moveNext();
    EXPECT_TRUE(records->atEnd());
    records->close();
}

TEST_F(DatabaseTest, AStepThatFailsPartWayIsReportedNotTakenForTheEnd)
{
    auto records = db.query(u"select abs(v) as a from (select 1 as v union all select -9223372036854775807 - 1)"_s);
    ASSERT_NE(records, nullptr) << "the first row is fine";
    records->moveFirst();
    ASSERT_FALSE(records->atEnd());
    EXPECT_EQ(records->text(u"a"_s), u"1"_s);
    EXPECT_FALSE(records->failed());
    records->moveNext();
    EXPECT_TRUE(records->atEnd());
    EXPECT_TRUE(records->failed());
    EXPECT_EQ(records->text(u"a"_s), QString());
}

TEST_F(DatabaseTest, ARecordSetMayOutliveTheConnection)
{
    auto records = db.query(u"select * from 付款方式"_s);
    ASSERT_NE(records, nullptr);
    db.close();
    EXPECT_FALSE(db.isOpen());
    EXPECT_EQ(db.query(u"select * from 付款方式"_s), nullptr);
    EXPECT_FALSE(db.lastError().isEmpty());
    EXPECT_FALSE(db.execute(u"delete from 付款方式"_s));
    EXPECT_EQ(ShopSettings(db).text(u"店名"_s), std::nullopt);
    records->close();
    records.reset();
    db.close(); // twice is harmless
}

// ---- failing statements -------------------------------------------------------------------------

TEST_F(DatabaseTest, FailingQueriesGiveNoRecordSetAndSayWhy)
{
    const QStringList bad = {u"select * from 不存在的表"_s, u"select 没有的列 from 配置文件"_s,
                             u"selec * from 配置文件"_s, u"select * from 配置文件 where"_s, u""_s, u"   "_s,
                             // fails only when the first row is computed
                             u"select abs(-9223372036854775807 - 1)"_s};
    for (const QString& sql : bad) {
        EXPECT_EQ(db.query(sql), nullptr) << sql.toStdString();
        EXPECT_FALSE(db.lastError().isEmpty()) << sql.toStdString();
    }
    // Parameters must match the "?" places.
    EXPECT_EQ(db.query(u"select * from 配置文件 where ID=?"_s), nullptr);
    EXPECT_EQ(db.query(u"select * from 配置文件"_s, {1}), nullptr);
    // The connection is still usable afterwards.
    EXPECT_EQ(ShopSettings(db).text(u"ID"_s), u"1"_s);
}

TEST_F(DatabaseTest, FailingStatementsReturnFalseAndChangeNothing)
{
    EXPECT_FALSE(db.execute(u"insert into 不存在的表 (a) values (1)"_s));
    EXPECT_FALSE(db.lastError().isEmpty());
    EXPECT_FALSE(db.execute(u"update 配置文件 set 没有的列='x' where ID=1"_s));
    EXPECT_FALSE(db.execute(u"delete 付款方式 where ID=1"_s));
    EXPECT_FALSE(db.execute(u"insert into 付款方式 (方式) values (?)"_s));
    EXPECT_FALSE(db.execute(u"insert into 付款方式 (方式) values (?)"_s, {u"a"_s, u"b"_s}));
    EXPECT_FALSE(db.execute(QString()));

    // A text value spliced in with a quote breaks the statement: it fails and stores nothing.
    const QString before = count(u"商品名称"_s);
    EXPECT_FALSE(db.execute(u"insert into [商品名称] (名称,单价 )values ('O'Brien','1.00')"_s));
    EXPECT_EQ(count(u"商品名称"_s), before);

    // A key that exists already is refused and the row stays as it was.
    const QString method = shop.scalar(u"select 方式 from 付款方式 where ID=1"_s);
    EXPECT_FALSE(db.execute(u"insert into 付款方式 (ID, 方式) values (1, '重复')"_s));
    EXPECT_EQ(shop.scalar(u"select 方式 from 付款方式 where ID=1"_s), method);
}

TEST_F(DatabaseTest, TextAfterTheFirstStatementIsRefusedNotDropped)
{
    const QString before = count(u"付款方式"_s);
    EXPECT_FALSE(db.execute(u"insert into 付款方式 (方式) values ('甲'); insert into 付款方式 (方式) values ('乙')"_s));
    EXPECT_FALSE(db.lastError().isEmpty());
    EXPECT_EQ(db.query(u"select * from 付款方式; delete from 付款方式"_s), nullptr);
    EXPECT_FALSE(db.execute(u"update 配置文件 set 店名='x' where ID=1; garbage"_s));
    EXPECT_EQ(count(u"付款方式"_s), before);
    EXPECT_NE(ShopSettings(db).text(u"店名"_s), u"x"_s);

    // A closing semicolon and blanks are no second statement.
    EXPECT_TRUE(db.execute(u"insert into 付款方式 (方式) values ('丙');  \n"_s)) << db.lastError().toStdString();
    EXPECT_NE(db.query(u"select * from 付款方式 ;"_s), nullptr) << db.lastError().toStdString();
    EXPECT_EQ(count(u"付款方式"_s).toInt(), before.toInt() + 1);
}

// ---- parameters ---------------------------------------------------------------------------------

TEST_F(DatabaseTest, ByteParameterRoundTripsExactBytes)
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    bytes.append(QByteArray(17, '\0'));
    bytes.prepend(QByteArray("\0\0\0", 3));
    ASSERT_EQ(bytes.size(), 276);
    ASSERT_TRUE(db.execute(u"update 配置文件 set logo=? where ID=1"_s, {bytes})) << db.lastError().toStdString();

    auto row = db.query(u"select logo from 配置文件 where ID=1"_s);
    ASSERT_NE(row, nullptr);
    row->moveFirst();
    EXPECT_EQ(row->readField(u"logo"_s).typeId(), QMetaType::QByteArray);
    EXPECT_EQ(row->readField(u"logo"_s).toByteArray(), bytes);
    EXPECT_EQ(row->readField(1).toByteArray(), bytes);
    row->close();

    // A picture-sized block through a connection of its own.
    QByteArray large(3 * 1024 * 1024 + 7, '\0');
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = char((i * 7919) >> 3);
    ASSERT_TRUE(db.execute(u"update 配置文件 set logo=? where ID=1"_s, {large}));
    db.close();
    Database other;
    ASSERT_TRUE(other.open(shop.databasePath(), kKey));
    auto again = other.query(u"select * from 配置文件 where 1"_s);
    ASSERT_NE(again, nullptr);
    again->moveFirst();
    EXPECT_TRUE(again->readField(u"logo"_s).toByteArray() == large);
    EXPECT_EQ(again->readField(19).toByteArray().size(), large.size());
}

TEST_F(DatabaseTest, BoundTextWithQuotesIsStoredAndFoundAsTyped)
{
    const QString name = u"O'Brien \"特价\" 可乐'; drop table 商品名称; --"_s;
    const QString price = u"3.50'"_s;
    ASSERT_TRUE(db.execute(u"insert into [商品名称] (名称,单价 )values (?,?)"_s, {name, price}))
        << db.lastError().toStdString();
    EXPECT_EQ(Column(db, u"select * from 商品名称 where 名称=?"_s, u"单价"_s, {name}), QStringList{price});
    EXPECT_EQ(Column(db, u"select * from 商品名称  where 名称 like ? || '%'"_s, u"名称"_s, {u"O'Brien \"特"_s}),
              QStringList{name});
    EXPECT_EQ(Column(db, u"select * from 商品名称 where 名称 like '%' || ? || '%'"_s, u"名称"_s, {u"\"特价\""_s}),
              QStringList{name});
    EXPECT_EQ(shop.scalar(u"select count(*) from sqlite_master where name='商品名称'"_s), u"1"_s);

    ASSERT_TRUE(
        db.execute(u"update 配置文件 set 店名=?, 备注=? where ID=1"_s, {u"老王's \"小店\""_s, u"  欢迎 '再来' "_s}));
    EXPECT_EQ(ShopSettings(db).text(u"店名"_s), u"老王's \"小店\""_s);
    EXPECT_EQ(ShopSettings(db).text(u"备注"_s), u"  欢迎 '再来' "_s) << "blanks are kept as typed";
}

TEST_F(DatabaseTest, LastInsertIdIsTheNewRowsKey)
{
    ASSERT_TRUE(db.execute(u"insert into 客户资料 (姓名,电话) values (?,?)"_s, {u"张三"_s, u"13800000000"_s}));
    const qint64 first = db.lastInsertId();
    ASSERT_TRUE(db.execute(u"insert into 客户资料 (姓名,电话) values (?,?)"_s, {u"李四"_s, u"13900000000"_s}));
    EXPECT_EQ(db.lastInsertId(), first + 1);
    EXPECT_EQ(shop.scalar(u"select 姓名 from 客户资料 where ID=?"_s, {first + 1}), u"李四"_s);
    // Keys are never reused, even after the newest row was deleted.
    ASSERT_TRUE(db.execute(u"delete from 客户资料 where ID=?"_s, {first + 1}));
    ASSERT_TRUE(db.execute(u"insert into 客户资料 (姓名) values ('王五')"_s));
    EXPECT_EQ(db.lastInsertId(), first + 2);
}

TEST_F(DatabaseTest, ChangesReachTheFileAndStayEncrypted)
{
    ASSERT_TRUE(db.execute(u"insert into 客户资料 (姓名,电话) values (?,?)"_s, {u"plainname"_s, u"5550123"_s}));
    EXPECT_EQ(shop.scalar(u"select 电话 from 客户资料 where 姓名='plainname'"_s), u"5550123"_s);
    db.close();
    const QByteArray file = readBytes(shop.databasePath());
    EXPECT_FALSE(file.contains("plainname"));
    EXPECT_FALSE(file.startsWith(QByteArray("SQLite format 3", 16)));
}

// ---- transactions -------------------------------------------------------------------------------

TEST_F(DatabaseTest, TransactionRollsBackUnlessCommitted)
{
    const QString before = count(u"销售记录"_s);
    {
        Transaction transaction(db);
        ASSERT_TRUE(transaction.began());
        ASSERT_TRUE(db.execute(u"insert into 销售记录 (销售票号) values ('0000000000001')"_s));
        ASSERT_TRUE(db.execute(u"insert into 销售详情 (关联,名称) values (?,'可乐')"_s, {db.lastInsertId()}));
        auto inside = db.query(u"select count(*) from 销售记录"_s);
        ASSERT_NE(inside, nullptr);
        inside->moveFirst();
        EXPECT_EQ(inside->text(1).toInt(), before.toInt() + 1) << "the connection sees its own pending rows";
    }
    EXPECT_EQ(count(u"销售记录"_s), before);
    EXPECT_EQ(count(u"销售详情"_s), u"0"_s);

    {
        Transaction transaction(db);
        ASSERT_TRUE(transaction.began());
        ASSERT_TRUE(db.execute(u"insert into 销售记录 (销售票号) values ('0000000000002')"_s));
        ASSERT_TRUE(db.execute(u"insert into 销售详情 (关联,名称) values (?,'可乐')"_s, {db.lastInsertId()}));
        EXPECT_TRUE(transaction.commit());
        EXPECT_FALSE(transaction.commit()) << "a transaction commits once";
    }
    EXPECT_EQ(count(u"销售记录"_s), QString::number(before.toInt() + 1));
    EXPECT_EQ(shop.scalar(u"select 销售票号 from 销售记录 order by ID desc"_s), u"0000000000002"_s);
    EXPECT_EQ(count(u"销售详情"_s), u"1"_s);
}

TEST_F(DatabaseTest, FailedStatementInsideATransactionLeavesNothingBehind)
{
    {
        Transaction transaction(db);
        ASSERT_TRUE(transaction.began());
        ASSERT_TRUE(db.execute(u"insert into 销售记录 (销售票号) values ('0000000000003')"_s));
        ASSERT_FALSE(db.execute(u"insert into 销售详情 (没有的列) values (1)"_s));
        // The caller gives up without committing.
    }
    EXPECT_EQ(shop.scalar(u"select count(*) from 销售记录 where 销售票号='0000000000003'"_s), u"0"_s);
    // The connection is out of the transaction: a plain statement is kept at once.
    ASSERT_TRUE(db.execute(u"insert into 付款方式 (方式) values ('赊账')"_s));
    EXPECT_EQ(shop.scalar(u"select count(*) from 付款方式 where 方式='赊账'"_s), u"1"_s);
}

TEST_F(DatabaseTest, ATransactionInsideAnotherIsKeptOrUndoneWithItAndFailsAlone)
{
    {
        Transaction outer(db);
        ASSERT_TRUE(outer.began());
        ASSERT_TRUE(db.execute(u"insert into 付款方式 (方式) values ('外层')"_s));
        {
            Transaction kept(db);
            ASSERT_TRUE(kept.began());
            ASSERT_TRUE(db.execute(u"insert into 付款方式 (方式) values ('内层')"_s));
            ASSERT_TRUE(kept.commit());
        }
        {
            Transaction failed(db);
            ASSERT_TRUE(failed.began());
            ASSERT_TRUE(db.execute(u"insert into 付款方式 (方式) values ('失败')"_s));
            ASSERT_FALSE(db.execute(u"insert into 没有的表 values (1)"_s));
        }
        EXPECT_TRUE(db.lastError().contains(u"没有的表"_s)) << "the cause, not the undo after it";
        ASSERT_TRUE(outer.commit());
    }
    EXPECT_EQ(shop.scalar(u"select group_concat(方式) from 付款方式 where 方式 in ('外层','内层','失败')"_s),
              u"外层,内层"_s);
    {
        // Undone with the outer one, although it was committed itself.
        Transaction outer(db);
        Transaction inner(db);
        ASSERT_TRUE(db.execute(u"insert into 付款方式 (方式) values ('撤销')"_s));
        ASSERT_TRUE(inner.commit());
    }
    EXPECT_EQ(shop.scalar(u"select count(*) from 付款方式 where 方式='撤销'"_s), u"0"_s);
}

TEST_F(DatabaseTest, AFailedTransactionReportsWhatFailedNotTheRollbackAfterIt)
{
    // The disk fills up in the middle of a sale: SQLite then gives up the whole transaction itself.
    const QString before = count(u"销售记录"_s);
    const QString pages = columnValues(db, u"PRAGMA page_count"_s, u"page_count"_s).value(0);
    ASSERT_TRUE(db.execute(u"PRAGMA max_page_count = "_s + pages)) << db.lastError().toStdString();
    {
        Transaction transaction(db);
        ASSERT_TRUE(transaction.began());
        ASSERT_TRUE(db.execute(u"insert into 销售记录 (销售票号) values ('0000000000004')"_s));
        EXPECT_FALSE(db.execute(u"insert into 销售详情 (关联,名称,备注) values (?,'可乐',?)"_s,
                                {db.lastInsertId(), QString(100000, u'备')}));
        EXPECT_FALSE(transaction.commit()) << "nothing is left to commit";
    }
    EXPECT_TRUE(db.lastError().contains(u"full"_s)) << db.lastError().toStdString();
    EXPECT_FALSE(db.lastError().contains(u"rollback"_s, Qt::CaseInsensitive)) << db.lastError().toStdString();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(count(u"销售记录"_s), before);
}

TEST_F(DatabaseTest, OpeningWaitsForAnotherConnectionsWriteToEnd)
{
    ASSERT_TRUE(db.execute(u"BEGIN EXCLUSIVE"_s));
    ASSERT_TRUE(db.execute(u"insert into 付款方式 (方式) values ('赊账')"_s));
    bool committed = false;
    // The other program finishes its write a moment after this one starts.
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        committed = db.execute(u"COMMIT"_s);
    });
    Database second;
    const bool opened = second.open(shop.databasePath(), kKey);
    other.join();
    ASSERT_TRUE(committed) << db.lastError().toStdString();
    ASSERT_TRUE(opened) << second.lastError().toStdString();
    EXPECT_EQ(Column(second, u"select 方式 from 付款方式 where 方式='赊账'"_s, u"方式"_s), QStringList{u"赊账"_s});
}

TEST(DatabaseTransactionClosed, OnAClosedDatabaseNothingBegins)
{
    Database db;
    Transaction transaction(db);
    EXPECT_FALSE(transaction.began());
    EXPECT_FALSE(transaction.commit());
}

// ---- settings read ------------------------------------------------------------------------------

TEST_F(DatabaseTest, ReadSettingGivesTheTextOfTheFirstRow)
{
    EXPECT_EQ(ShopSettings(db).text(u"ID"_s), u"1"_s);
    EXPECT_EQ(ShopSettings(db).text(u"直接登录"_s), u"0"_s);
    EXPECT_EQ(ShopSettings(db).text(u"纸张边距"_s), u"0"_s);
    EXPECT_EQ(ShopSettings(db).text(u"logo偏差"_s), u"0"_s);

    const Result<QString> missing = ShopSettings(db).text(u"没有这一列"_s);
    ASSERT_TRUE(missing.has_value()) << "a missing column is no failed query";
    EXPECT_TRUE(missing->isEmpty());
    const Result<QString> null = ShopSettings(db).text(u"logo"_s);
    ASSERT_TRUE(null.has_value());
    EXPECT_TRUE(null->isEmpty());

    ASSERT_TRUE(db.execute(u"update 配置文件 set 用户登录=NULL where ID=1"_s));
    EXPECT_EQ(ShopSettings(db).text(u"用户登录"_s), QString());

    // A second row is ignored by reads.
    ASSERT_TRUE(db.execute(u"update 配置文件 set 店名='第一' where ID=1"_s));
    ASSERT_TRUE(db.execute(u"insert into 配置文件 (ID, 店名) values (2, '第二')"_s));
    EXPECT_EQ(ShopSettings(db).text(u"店名"_s), u"第一"_s);
}

TEST(DatabaseReadSettingClosed, FailedQueryIsNoValue)
{
    Database db;
    EXPECT_EQ(ShopSettings(db).text(u"店名"_s), std::nullopt);

    // A database without the settings table fails the same way.
    TempShop shop;
    const QString path = shop.filePath(u"bare.mdb"_s);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_key(raw, schema::kDatabaseKey, 8), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "create table other (a);", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_close(raw), SQLITE_OK);
    ASSERT_TRUE(db.open(path, kKey)) << db.lastError().toStdString();
    EXPECT_EQ(ShopSettings(db).text(u"店名"_s), std::nullopt);
}

} // namespace
} // namespace quorrel::test
