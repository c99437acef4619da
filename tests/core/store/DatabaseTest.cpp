// The shop database through the real SQLCipher engine: the factory file, which files are refused,
// the schema as select * returns it, record-set walks, typed reads, parameters and transactions.

#include "core/store/Database.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/Gbk.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/shop/Settings.h"
#include "core/store/Transaction.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstring>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

const QByteArray kKey = schema::kDatabaseKey;

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A database with the shop's tables and rows made directly with the engine: encrypted with `key`,
// or a plain SQLite file when `key` is null.
void MakeEngineFile(const QString& path, const char* key)
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
    return ColumnValues(db, sql, column, params);
}

class DatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shop.WriteFactory();
        ASSERT_TRUE(db.Open(shop.DatabasePath(), kKey)) << db.LastError().toStdString();
    }

    QString Count(const QString& table) { return shop.Scalar(u"select count(*) from "_s + table); }

    TempShop shop;
    Database db;
};

// ---- the factory file and which files are opened ----------------------------------------------

TEST(DatabaseFactory, WrittenFileIsTheImageByteForByteAndEncrypted)
{
    TempShop shop;
    const QByteArray image = FactoryDatabaseImage();
    ASSERT_GT(image.size(), 0);
    QString error;
    ASSERT_TRUE(WriteFactoryDatabase(shop.DatabasePath(), &error)) << error.toStdString();
    EXPECT_EQ(ReadBytes(shop.DatabasePath()), image);

    // Encrypted: no SQLite header, no table names or user names in the clear.
    EXPECT_FALSE(image.startsWith(QByteArray("SQLite format 3", 16)));
    EXPECT_FALSE(image.contains(u"配置文件"_s.toUtf8()));
    EXPECT_FALSE(image.contains("admin"));

    Database db;
    EXPECT_TRUE(db.Open(shop.DatabasePath(), kKey)) << db.LastError().toStdString();
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.Path(), shop.DatabasePath());
    db.Close();
    EXPECT_FALSE(db.IsOpen());
    // Opening and closing without a change leaves the file as it was.
    EXPECT_EQ(ReadBytes(shop.DatabasePath()), image);
}

TEST(DatabaseFactory, ReplacesAChangedFileAndRefusesAPathItCannotWrite)
{
    TempShop shop;
    shop.WriteFactory();
    shop.Exec(u"insert into 付款方式 (方式) values ('赊账')"_s);
    ASSERT_NE(ReadBytes(shop.DatabasePath()), FactoryDatabaseImage());
    ASSERT_TRUE(WriteFactoryDatabase(shop.DatabasePath()));
    EXPECT_EQ(ReadBytes(shop.DatabasePath()), FactoryDatabaseImage());
    EXPECT_EQ(shop.Scalar(u"select count(*) from 付款方式 where 方式='赊账'"_s), u"0"_s);

    const QString nowhere = shop.FilePath(u"没有这个目录/ZoZ.mdb"_s);
    QString error;
    EXPECT_FALSE(WriteFactoryDatabase(nowhere, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}

TEST(DatabaseFactory, OpensUnderAPathWithChineseNamesAndBlanks)
{
    TempShop shop;
    ASSERT_TRUE(QDir(shop.FilePath(QString())).mkpath(u"小店 数据"_s));
    const QString path = shop.FilePath(u"小店 数据/ZoZ.mdb"_s);
    ASSERT_TRUE(WriteFactoryDatabase(path));
    Database db;
    ASSERT_TRUE(db.Open(path, kKey)) << db.LastError().toStdString();
    EXPECT_EQ(ReadSetting(db, u"直接登录"_s), u"0"_s);
}

class DatabaseRefusedFileTest : public ::testing::Test
{
protected:
    // Open must refuse the file, report why, leave the file untouched and leave the object closed.
    void ExpectRefused(const QString& path, const QByteArray& key = kKey)
    {
        const bool existed = QFileInfo::exists(path);
        const QByteArray before = ReadBytes(path);
        Database db;
        EXPECT_FALSE(db.Open(path, key));
        EXPECT_FALSE(db.IsOpen());
        EXPECT_FALSE(db.LastError().isEmpty());
        EXPECT_EQ(db.Query(u"select 1"_s), nullptr);
        EXPECT_FALSE(db.Execute(u"create table t (a)"_s));
        EXPECT_EQ(QFileInfo::exists(path), existed);
        EXPECT_EQ(ReadBytes(path), before);
    }

    TempShop shop;
};

TEST_F(DatabaseRefusedFileTest, FactoryFileWithAnyOtherKey)
{
    shop.WriteFactory();
    ExpectRefused(shop.DatabasePath(), "19970606");
    ExpectRefused(shop.DatabasePath(), "");
    ExpectRefused(shop.DatabasePath(), "1997060");
}

TEST_F(DatabaseRefusedFileTest, ShopFileEncryptedWithAnotherKey)
{
    const QString path = shop.FilePath(u"other-key.mdb"_s);
    MakeEngineFile(path, "12345678");
    ExpectRefused(path);

    // The same file does open with its own key: it is the key that is refused, not the file.
    Database db;
    EXPECT_TRUE(db.Open(path, "12345678")) << db.LastError().toStdString();
}

// Files written from the factory image open with a key derived at build time; any other file with
// the program's key (its own salt) still opens through the password.
TEST(DatabaseFactory, AFileWithTheProgramsKeyButItsOwnSaltOpensToo)
{
    TempShop shop;
    const QString path = shop.FilePath(u"own-salt.mdb"_s);
    MakeEngineFile(path, kKey);
    ASSERT_NE(ReadBytes(path).left(16), FactoryDatabaseImage().left(16));
    EXPECT_TRUE(KnownRawKey(path, kKey).isEmpty());
    Database db;
    ASSERT_TRUE(db.Open(path, kKey)) << db.LastError().toStdString();
    EXPECT_NE(db.Query(u"select * from 配置文件"_s), nullptr);

    shop.WriteFactory();
    EXPECT_FALSE(KnownRawKey(shop.DatabasePath(), kKey).isEmpty());
    EXPECT_TRUE(KnownRawKey(shop.DatabasePath(), "19970606").isEmpty());
}

TEST_F(DatabaseRefusedFileTest, PlainUnencryptedSqliteFile)
{
    const QString path = shop.FilePath(u"plain.mdb"_s);
    MakeEngineFile(path, nullptr);
    ASSERT_TRUE(ReadBytes(path).startsWith(QByteArray("SQLite format 3", 16)));
    ExpectRefused(path);
}

TEST_F(DatabaseRefusedFileTest, TextFilesShortAndLong)
{
    const QString shortText = shop.FilePath(u"short.mdb"_s);
    WriteBytes(shortText, "hello, this is no database\n");
    ExpectRefused(shortText);

    const QString longText = shop.FilePath(u"long.mdb"_s);
    WriteBytes(longText, QByteArray("Standard Jet DB, or so it says. ").repeated(1000));
    ExpectRefused(longText);
}

TEST_F(DatabaseRefusedFileTest, EmptyMissingAndDirectory)
{
    const QString empty = shop.FilePath(u"empty.mdb"_s);
    WriteBytes(empty, QByteArray());
    ExpectRefused(empty);
    EXPECT_EQ(QFileInfo(empty).size(), 0);

    ExpectRefused(shop.DatabasePath()); // never written
    EXPECT_FALSE(QFileInfo::exists(shop.DatabasePath())) << "opening must not create the file";

    ExpectRefused(shop.FilePath(QString()));
}

TEST_F(DatabaseRefusedFileTest, ARefusedOpenClosesThePreviousConnectionAndTheObjectCanOpenAgain)
{
    shop.WriteFactory();
    const QString plain = shop.FilePath(u"plain.mdb"_s);
    MakeEngineFile(plain, nullptr);

    Database db;
    ASSERT_TRUE(db.Open(shop.DatabasePath(), kKey));
    EXPECT_FALSE(db.Open(plain, kKey));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.Query(u"select * from 配置文件"_s), nullptr);
    ASSERT_TRUE(db.Open(shop.DatabasePath(), kKey)) << db.LastError().toStdString();
    EXPECT_EQ(ReadSetting(db, u"ID"_s), u"1"_s);
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

QList<TableSpec> DesignSchema()
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
          {u"备注"_s, text}}},
        {u"销售详情"_s,
         {{u"ID"_s, key},
          {u"关联"_s, whole},
          {u"名称"_s, text},
          {u"数量"_s, text},
          {u"单价"_s, text},
          {u"金额"_s, text},
          {u"折后"_s, text},
          {u"备注"_s, text}}},
    };
}

TEST_F(DatabaseTest, HoldsExactlyTheSevenTables)
{
    QStringList expected;
    for (const TableSpec& table : DesignSchema())
        expected << table.name;
    QStringList tables =
        Column(db, u"select name from sqlite_master where type='table' and name not like 'sqlite%'"_s, u"name"_s);
    tables.sort();
    expected.sort();
    EXPECT_EQ(tables, expected);
}

TEST_F(DatabaseTest, ColumnsAreInDesignOrderWithTheirTypes)
{
    for (const TableSpec& table : DesignSchema()) {
        SCOPED_TRACE(table.name.toStdString());
        auto info = db.Query(u"pragma table_info("_s + table.name + u")"_s);
        ASSERT_NE(info, nullptr) << db.LastError().toStdString();
        info->MoveFirst();
        int position = 0;
        while (!info->AtEnd()) {
            ASSERT_LT(position, table.columns.size()) << "extra column " << info->Text(u"name"_s).toStdString();
            EXPECT_EQ(info->Text(u"cid"_s).toInt(), position);
            EXPECT_EQ(info->Text(u"name"_s), table.columns[position].name);
            EXPECT_EQ(info->Text(u"type"_s).toUpper(), table.columns[position].type)
                << info->Text(u"name"_s).toStdString();
            EXPECT_EQ(info->Text(u"pk"_s), position == 0 ? u"1"_s : u"0"_s);
            ++position;
            info->MoveNext();
        }
        EXPECT_EQ(position, table.columns.size());
    }
}

TEST_F(DatabaseTest, SelectStarPositionsMatchTheColumnNames)
{
    // One row per table whose every column holds its own name; positions and names must agree.
    for (const TableSpec& table : DesignSchema()) {
        SCOPED_TRACE(table.name.toStdString());
        QStringList names, places;
        QVariantList values;
        for (qsizetype i = 1; i < table.columns.size(); ++i) {
            names << table.columns[i].name;
            places << u"?"_s;
            values << table.columns[i].name;
        }
        ASSERT_TRUE(db.Execute(u"insert into ["_s + table.name + u"] ("_s + names.join(u',') + u") values ("_s +
                                   places.join(u',') + u")"_s,
                               values))
            << db.LastError().toStdString();
        const qint64 id = db.LastInsertId();
        auto records = db.Query(u"select * from ["_s + table.name + u"] where ID=?"_s, {id});
        ASSERT_NE(records, nullptr) << db.LastError().toStdString();
        records->MoveFirst();
        ASSERT_FALSE(records->AtEnd());
        ASSERT_EQ(records->ColumnCount(), table.columns.size());
        EXPECT_EQ(records->ReadField(1), QVariant(qlonglong(id)));
        EXPECT_EQ(records->ReadField(u"ID"_s), QVariant(qlonglong(id)));
        for (int position = 2; position <= table.columns.size(); ++position) {
            const QString& name = table.columns[position - 1].name;
            EXPECT_EQ(records->ReadField(position).toString(), name) << "position " << position;
            EXPECT_EQ(records->ReadField(name).toString(), name);
            EXPECT_EQ(records->Text(position), name);
        }
        // Past the last column there is nothing.
        EXPECT_EQ(records->ReadField(table.columns.size() + 1), QVariant(QString()));
        records->MoveNext();
        EXPECT_TRUE(records->AtEnd());
    }
}

// ---- the factory contents -----------------------------------------------------------------------

TEST_F(DatabaseTest, FactorySettingsRow)
{
    EXPECT_EQ(Count(u"配置文件"_s), u"1"_s);
    auto row = db.Query(u"select * from [配置文件] where [ID]=1"_s);
    ASSERT_NE(row, nullptr) << db.LastError().toStdString();
    row->MoveFirst();
    ASSERT_FALSE(row->AtEnd());
    EXPECT_EQ(row->ReadField(u"ID"_s), QVariant(qlonglong(1)));

    for (const QString& flag : {u"客户"_s, u"电话"_s, u"折扣"_s, u"付款方式的选中"_s, u"保存销售记录"_s,
                                u"显示打印完毕"_s, u"提示再次打印"_s, u"打印单价"_s, u"是否打印logo"_s}) {
        const QString value = row->Text(flag);
        EXPECT_TRUE(value == kOn || value == kOff) << flag.toStdString() << " = " << value.toStdString();
    }
    EXPECT_EQ(row->Text(u"直接登录"_s), u"0"_s);
    const QString format = row->Text(u"全局单号格式"_s);
    EXPECT_TRUE(format == u"1"_s || format == u"2"_s) << format.toStdString();
    EXPECT_EQ(row->Text(u"纸张边距"_s), u"0"_s);
    EXPECT_EQ(row->Text(u"打印偏差"_s), u"0"_s);
    EXPECT_EQ(row->ReadField(u"logo偏差"_s).toLongLong(), 0);
    EXPECT_TRUE(row->Text(u"logo"_s).isEmpty());
    row->MoveNext();
    EXPECT_TRUE(row->AtEnd());
}

TEST_F(DatabaseTest, FactoryAdminUserAndPaymentMethods)
{
    auto users = db.Query(u"select * from 用户登录"_s);
    ASSERT_NE(users, nullptr);
    users->MoveFirst();
    ASSERT_FALSE(users->AtEnd());
    EXPECT_EQ(users->Text(u"用户名"_s), u"admin"_s);
    EXPECT_EQ(users->Text(u"权限"_s), u"管理员"_s);
    EXPECT_EQ(users->Text(u"密码"_s), u"d41d8cd98f00b204e9800998ecf8427e"_s);
    EXPECT_EQ(users->Text(u"密码"_s), PasswordDigest(QString()));
    users->MoveNext();
    EXPECT_TRUE(users->AtEnd()) << "the factory file has one user";
    users->Close();

    // The login check as the login window makes it.
    EXPECT_EQ(Column(db, u"select * from 用户登录 where 用户名=? and 密码=?"_s, u"权限"_s,
                     {u"admin"_s, PasswordDigest(QString())}),
              QStringList{u"管理员"_s});

    const QStringList methods = Column(db, u"select * from 付款方式"_s, u"方式"_s);
    EXPECT_TRUE(methods.contains(u"现金"_s)) << methods.join(u',').toStdString();
    EXPECT_EQ(methods.size(), Count(u"付款方式"_s).toInt());
}

// ---- reading fields -----------------------------------------------------------------------------

TEST_F(DatabaseTest, MissingColumnsNullsAndPositionsOutOfRangeReadAsEmptyText)
{
    ASSERT_TRUE(db.Execute(u"delete from 商品名称"_s));
    ASSERT_TRUE(db.Execute(u"insert into 商品名称 (名称,单价) values (NULL,'9.90')"_s));
    auto row = db.Query(u"select * from 商品名称"_s);
    ASSERT_NE(row, nullptr) << db.LastError().toStdString();
    row->MoveFirst();
    ASSERT_FALSE(row->AtEnd());
    for (const QVariant& value : {row->ReadField(u"代码"_s), row->ReadField(u"名称"_s), row->ReadField(QString()),
                                  row->ReadField(0), row->ReadField(-1), row->ReadField(4), row->ReadField(2)}) {
        EXPECT_EQ(value.typeId(), QMetaType::QString);
        EXPECT_TRUE(value.toString().isEmpty());
    }
    EXPECT_EQ(row->Text(u"代码"_s), QString());
    EXPECT_EQ(row->Text(u"名称"_s), QString());
    EXPECT_EQ(row->Text(u"单价"_s), u"9.90"_s);
    // The product list's "代码 + 名称" is therefore the name alone.
    EXPECT_EQ(row->Text(u"代码"_s) + u"可乐"_s, u"可乐"_s);

    auto settings = db.Query(u"select * from 配置文件 where 1"_s);
    ASSERT_NE(settings, nullptr);
    settings->MoveFirst();
    EXPECT_EQ(settings->ReadField(u"logo"_s), QVariant(QString())); // NULL blob
    EXPECT_EQ(settings->ReadField(u"没有的列"_s), QVariant(QString()));
}

TEST_F(DatabaseTest, FieldsComeBackTyped)
{
    const QByteArray bytes("\x89PNG\r\n\x1a\n", 8);
    ASSERT_TRUE(db.Execute(u"update 配置文件 set logo=?, logo偏差=? where ID=1"_s, {bytes, 12}));
    auto row = db.Query(u"select ID, 店名, logo, logo偏差, 1.5 as 小数, 纸张边距 from 配置文件"_s);
    ASSERT_NE(row, nullptr);
    row->MoveFirst();
    ASSERT_FALSE(row->AtEnd());
    EXPECT_EQ(row->ReadField(u"ID"_s).typeId(), QMetaType::LongLong);
    EXPECT_EQ(row->ReadField(u"ID"_s).toLongLong(), 1);
    EXPECT_EQ(row->ReadField(u"店名"_s).typeId(), QMetaType::QString);
    EXPECT_EQ(row->ReadField(u"logo"_s).typeId(), QMetaType::QByteArray);
    EXPECT_EQ(row->ReadField(u"logo"_s).toByteArray(), bytes);
    EXPECT_EQ(row->ReadField(u"logo偏差"_s), QVariant(qlonglong(12)));
    EXPECT_EQ(row->ReadField(u"小数"_s), QVariant(1.5));
    // Text columns hold number texts as texts, even when written as numbers.
    EXPECT_EQ(row->ReadField(u"纸张边距"_s), QVariant(u"0"_s));

    // As text: plain decimals for numbers.
    EXPECT_EQ(row->Text(u"ID"_s), u"1"_s);
    EXPECT_EQ(row->Text(u"logo偏差"_s), u"12"_s);
    EXPECT_EQ(row->Text(u"小数"_s), u"1.5"_s);
    EXPECT_EQ(row->Text(1), u"1"_s);
}

TEST_F(DatabaseTest, ColumnNamesAreFoundWithoutRegardToLetterCase)
{
    auto row = db.Query(u"select * from 配置文件 where id=1"_s);
    ASSERT_NE(row, nullptr);
    row->MoveFirst();
    EXPECT_EQ(row->Text(u"id"_s), u"1"_s);
    EXPECT_EQ(row->Text(u"Id"_s), u"1"_s);
    EXPECT_EQ(row->Text(u"LOGO偏差"_s), u"0"_s);
}

// ---- walking record sets ------------------------------------------------------------------------

TEST_F(DatabaseTest, WalkVisitsEveryRowOnceAndMoveFirstStartsAgain)
{
    ASSERT_TRUE(db.Execute(u"delete from 付款方式"_s));
    for (const QString& method : {u"现金"_s, u"微信"_s, u"支付宝"_s})
        ASSERT_TRUE(db.Execute(u"insert into 付款方式 (方式) values (?)"_s, {method}));

    auto records = db.Query(u"select * from 付款方式 order by ID"_s);
    ASSERT_NE(records, nullptr);
    for (int pass = 0; pass < 2; ++pass) {
        QStringList seen;
        records->MoveFirst();
        while (!records->AtEnd()) {
            seen << records->Text(2);
            records->MoveNext();
        }
        EXPECT_EQ(seen, (QStringList{u"现金"_s, u"微信"_s, u"支付宝"_s})) << "pass " << pass;
        // Moving past the end stays at the end and reads nothing.
        records->MoveNext();
        EXPECT_TRUE(records->AtEnd());
        EXPECT_EQ(records->ReadField(2), QVariant(QString()));
        EXPECT_EQ(records->Text(u"方式"_s), QString());
    }

    // MoveFirst in the middle of a walk goes back to the first row.
    records->MoveFirst();
    records->MoveNext();
    EXPECT_EQ(records->Text(2), u"微信"_s);
    records->MoveFirst();
    EXPECT_EQ(records->Text(2), u"现金"_s);
    records->MoveFirst();
    EXPECT_EQ(records->Text(2), u"现金"_s) << "a second MoveFirst must not skip a row";

    records->Close();
    EXPECT_TRUE(records->AtEnd());
    EXPECT_EQ(records->Text(2), QString());
    records->MoveFirst();
    records->MoveNext();
    EXPECT_TRUE(records->AtEnd());
    records->Close(); // twice is harmless
}

TEST_F(DatabaseTest, EmptyResultIsAtEndAtOnce)
{
    auto records = db.Query(u"select * from 销售记录 where 销售票号=?"_s, {u"没有这张单"_s});
    ASSERT_NE(records, nullptr) << "an empty result is no failure";
    EXPECT_FALSE(records->Failed());
    records->MoveFirst();
    EXPECT_TRUE(records->AtEnd());
    EXPECT_EQ(records->ColumnCount(), 7);
    EXPECT_EQ(records->ReadField(u"销售票号"_s), QVariant(QString()));
    EXPECT_EQ(records->ReadField(1), QVariant(QString()));
    records->MoveNext();
    EXPECT_TRUE(records->AtEnd());
    records->Close();
}

TEST_F(DatabaseTest, AStepThatFailsPartWayIsReportedNotTakenForTheEnd)
{
    auto records = db.Query(u"select abs(v) as a from (select 1 as v union all select -9223372036854775807 - 1)"_s);
    ASSERT_NE(records, nullptr) << "the first row is fine";
    records->MoveFirst();
    ASSERT_FALSE(records->AtEnd());
    EXPECT_EQ(records->Text(u"a"_s), u"1"_s);
    EXPECT_FALSE(records->Failed());
    records->MoveNext();
    EXPECT_TRUE(records->AtEnd());
    EXPECT_TRUE(records->Failed());
    EXPECT_EQ(records->Text(u"a"_s), QString());
}

TEST_F(DatabaseTest, ARecordSetMayOutliveTheConnection)
{
    auto records = db.Query(u"select * from 付款方式"_s);
    ASSERT_NE(records, nullptr);
    db.Close();
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.Query(u"select * from 付款方式"_s), nullptr);
    EXPECT_FALSE(db.LastError().isEmpty());
    EXPECT_FALSE(db.Execute(u"delete from 付款方式"_s));
    EXPECT_EQ(ReadSetting(db, u"店名"_s), std::nullopt);
    records->Close();
    records.reset();
    db.Close(); // twice is harmless
}

// ---- failing statements -------------------------------------------------------------------------

TEST_F(DatabaseTest, FailingQueriesGiveNoRecordSetAndSayWhy)
{
    const QStringList bad = {u"select * from 不存在的表"_s, u"select 没有的列 from 配置文件"_s,
                             u"selec * from 配置文件"_s, u"select * from 配置文件 where"_s, u""_s, u"   "_s,
                             // fails only when the first row is computed
                             u"select abs(-9223372036854775807 - 1)"_s};
    for (const QString& sql : bad) {
        EXPECT_EQ(db.Query(sql), nullptr) << sql.toStdString();
        EXPECT_FALSE(db.LastError().isEmpty()) << sql.toStdString();
    }
    // Parameters must match the "?" places.
    EXPECT_EQ(db.Query(u"select * from 配置文件 where ID=?"_s), nullptr);
    EXPECT_EQ(db.Query(u"select * from 配置文件"_s, {1}), nullptr);
    // The connection is still usable afterwards.
    EXPECT_EQ(ReadSetting(db, u"ID"_s), u"1"_s);
}

TEST_F(DatabaseTest, FailingStatementsReturnFalseAndChangeNothing)
{
    EXPECT_FALSE(db.Execute(u"insert into 不存在的表 (a) values (1)"_s));
    EXPECT_FALSE(db.LastError().isEmpty());
    EXPECT_FALSE(db.Execute(u"update 配置文件 set 没有的列='x' where ID=1"_s));
    EXPECT_FALSE(db.Execute(u"delete 付款方式 where ID=1"_s));
    EXPECT_FALSE(db.Execute(u"insert into 付款方式 (方式) values (?)"_s));
    EXPECT_FALSE(db.Execute(u"insert into 付款方式 (方式) values (?)"_s, {u"a"_s, u"b"_s}));
    EXPECT_FALSE(db.Execute(QString()));

    // A text value spliced in with a quote breaks the statement: it fails and stores nothing.
    const QString before = Count(u"商品名称"_s);
    EXPECT_FALSE(db.Execute(u"insert into [商品名称] (名称,单价 )values ('O'Brien','1.00')"_s));
    EXPECT_EQ(Count(u"商品名称"_s), before);

    // A key that exists already is refused and the row stays as it was.
    const QString method = shop.Scalar(u"select 方式 from 付款方式 where ID=1"_s);
    EXPECT_FALSE(db.Execute(u"insert into 付款方式 (ID, 方式) values (1, '重复')"_s));
    EXPECT_EQ(shop.Scalar(u"select 方式 from 付款方式 where ID=1"_s), method);
}

TEST_F(DatabaseTest, TextAfterTheFirstStatementIsRefusedNotDropped)
{
    const QString before = Count(u"付款方式"_s);
    EXPECT_FALSE(db.Execute(u"insert into 付款方式 (方式) values ('甲'); insert into 付款方式 (方式) values ('乙')"_s));
    EXPECT_FALSE(db.LastError().isEmpty());
    EXPECT_EQ(db.Query(u"select * from 付款方式; delete from 付款方式"_s), nullptr);
    EXPECT_FALSE(db.Execute(u"update 配置文件 set 店名='x' where ID=1; garbage"_s));
    EXPECT_EQ(Count(u"付款方式"_s), before);
    EXPECT_NE(ReadSetting(db, u"店名"_s), u"x"_s);

    // A closing semicolon and blanks are no second statement.
    EXPECT_TRUE(db.Execute(u"insert into 付款方式 (方式) values ('丙');  \n"_s)) << db.LastError().toStdString();
    EXPECT_NE(db.Query(u"select * from 付款方式 ;"_s), nullptr) << db.LastError().toStdString();
    EXPECT_EQ(Count(u"付款方式"_s).toInt(), before.toInt() + 1);
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
    ASSERT_TRUE(db.Execute(u"update 配置文件 set logo=? where ID=1"_s, {bytes})) << db.LastError().toStdString();

    auto row = db.Query(u"select logo from 配置文件 where ID=1"_s);
    ASSERT_NE(row, nullptr);
    row->MoveFirst();
    EXPECT_EQ(row->ReadField(u"logo"_s).typeId(), QMetaType::QByteArray);
    EXPECT_EQ(row->ReadField(u"logo"_s).toByteArray(), bytes);
    EXPECT_EQ(row->ReadField(1).toByteArray(), bytes);
    row->Close();

    // A picture-sized block through a connection of its own.
    QByteArray large(3 * 1024 * 1024 + 7, '\0');
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = char((i * 7919) >> 3);
    ASSERT_TRUE(db.Execute(u"update 配置文件 set logo=? where ID=1"_s, {large}));
    db.Close();
    Database other;
    ASSERT_TRUE(other.Open(shop.DatabasePath(), kKey));
    auto again = other.Query(u"select * from 配置文件 where 1"_s);
    ASSERT_NE(again, nullptr);
    again->MoveFirst();
    EXPECT_TRUE(again->ReadField(u"logo"_s).toByteArray() == large);
    EXPECT_EQ(again->ReadField(19).toByteArray().size(), large.size());
}

TEST_F(DatabaseTest, BoundTextWithQuotesIsStoredAndFoundAsTyped)
{
    const QString name = u"O'Brien \"特价\" 可乐'; drop table 商品名称; --"_s;
    const QString price = u"3.50'"_s;
    ASSERT_TRUE(db.Execute(u"insert into [商品名称] (名称,单价 )values (?,?)"_s, {name, price}))
        << db.LastError().toStdString();
    EXPECT_EQ(Column(db, u"select * from 商品名称 where 名称=?"_s, u"单价"_s, {name}), QStringList{price});
    EXPECT_EQ(Column(db, u"select * from 商品名称  where 名称 like ? || '%'"_s, u"名称"_s, {u"O'Brien \"特"_s}),
              QStringList{name});
    EXPECT_EQ(Column(db, u"select * from 商品名称 where 名称 like '%' || ? || '%'"_s, u"名称"_s, {u"\"特价\""_s}),
              QStringList{name});
    EXPECT_EQ(shop.Scalar(u"select count(*) from sqlite_master where name='商品名称'"_s), u"1"_s);

    ASSERT_TRUE(
        db.Execute(u"update 配置文件 set 店名=?, 备注=? where ID=1"_s, {u"老王's \"小店\""_s, u"  欢迎 '再来' "_s}));
    EXPECT_EQ(ReadSetting(db, u"店名"_s), u"老王's \"小店\""_s);
    EXPECT_EQ(ReadSetting(db, u"备注"_s), u"  欢迎 '再来' "_s) << "blanks are kept as typed";
}

TEST_F(DatabaseTest, LastInsertIdIsTheNewRowsKey)
{
    ASSERT_TRUE(db.Execute(u"insert into 客户资料 (姓名,电话) values (?,?)"_s, {u"张三"_s, u"13800000000"_s}));
    const qint64 first = db.LastInsertId();
    ASSERT_TRUE(db.Execute(u"insert into 客户资料 (姓名,电话) values (?,?)"_s, {u"李四"_s, u"13900000000"_s}));
    EXPECT_EQ(db.LastInsertId(), first + 1);
    EXPECT_EQ(shop.Scalar(u"select 姓名 from 客户资料 where ID=?"_s, {first + 1}), u"李四"_s);
    // Keys are never reused, even after the newest row was deleted.
    ASSERT_TRUE(db.Execute(u"delete from 客户资料 where ID=?"_s, {first + 1}));
    ASSERT_TRUE(db.Execute(u"insert into 客户资料 (姓名) values ('王五')"_s));
    EXPECT_EQ(db.LastInsertId(), first + 2);
}

TEST_F(DatabaseTest, ChangesReachTheFileAndStayEncrypted)
{
    ASSERT_TRUE(db.Execute(u"insert into 客户资料 (姓名,电话) values (?,?)"_s, {u"plainname"_s, u"5550123"_s}));
    EXPECT_EQ(shop.Scalar(u"select 电话 from 客户资料 where 姓名='plainname'"_s), u"5550123"_s);
    db.Close();
    const QByteArray file = ReadBytes(shop.DatabasePath());
    EXPECT_FALSE(file.contains("plainname"));
    EXPECT_FALSE(file.startsWith(QByteArray("SQLite format 3", 16)));
}

// ---- transactions -------------------------------------------------------------------------------

TEST_F(DatabaseTest, TransactionRollsBackUnlessCommitted)
{
    const QString before = Count(u"销售记录"_s);
    {
        Transaction transaction(db);
        ASSERT_TRUE(transaction.Began());
        ASSERT_TRUE(db.Execute(u"insert into 销售记录 (销售票号) values ('0000000000001')"_s));
        ASSERT_TRUE(db.Execute(u"insert into 销售详情 (关联,名称) values (?,'可乐')"_s, {db.LastInsertId()}));
        auto inside = db.Query(u"select count(*) from 销售记录"_s);
        ASSERT_NE(inside, nullptr);
        inside->MoveFirst();
        EXPECT_EQ(inside->Text(1).toInt(), before.toInt() + 1) << "the connection sees its own pending rows";
    }
    EXPECT_EQ(Count(u"销售记录"_s), before);
    EXPECT_EQ(Count(u"销售详情"_s), u"0"_s);

    {
        Transaction transaction(db);
        ASSERT_TRUE(transaction.Began());
        ASSERT_TRUE(db.Execute(u"insert into 销售记录 (销售票号) values ('0000000000002')"_s));
        ASSERT_TRUE(db.Execute(u"insert into 销售详情 (关联,名称) values (?,'可乐')"_s, {db.LastInsertId()}));
        EXPECT_TRUE(transaction.Commit());
        EXPECT_FALSE(transaction.Commit()) << "a transaction commits once";
    }
    EXPECT_EQ(Count(u"销售记录"_s), QString::number(before.toInt() + 1));
    EXPECT_EQ(shop.Scalar(u"select 销售票号 from 销售记录 order by ID desc"_s), u"0000000000002"_s);
    EXPECT_EQ(Count(u"销售详情"_s), u"1"_s);
}

TEST_F(DatabaseTest, FailedStatementInsideATransactionLeavesNothingBehind)
{
    {
        Transaction transaction(db);
        ASSERT_TRUE(transaction.Began());
        ASSERT_TRUE(db.Execute(u"insert into 销售记录 (销售票号) values ('0000000000003')"_s));
        ASSERT_FALSE(db.Execute(u"insert into 销售详情 (没有的列) values (1)"_s));
        // The caller gives up without committing.
    }
    EXPECT_EQ(shop.Scalar(u"select count(*) from 销售记录 where 销售票号='0000000000003'"_s), u"0"_s);
    // The connection is out of the transaction: a plain statement is kept at once.
    ASSERT_TRUE(db.Execute(u"insert into 付款方式 (方式) values ('赊账')"_s));
    EXPECT_EQ(shop.Scalar(u"select count(*) from 付款方式 where 方式='赊账'"_s), u"1"_s);
}

TEST_F(DatabaseTest, ASecondTransactionInsideTheFirstDoesNotUndoIt)
{
    Transaction outer(db);
    ASSERT_TRUE(outer.Began());
    ASSERT_TRUE(db.Execute(u"insert into 付款方式 (方式) values ('外层')"_s));
    {
        Transaction inner(db);
        EXPECT_FALSE(inner.Began());
        EXPECT_FALSE(inner.Commit());
    }
    ASSERT_TRUE(outer.Commit());
    EXPECT_EQ(shop.Scalar(u"select count(*) from 付款方式 where 方式='外层'"_s), u"1"_s);
}

TEST(DatabaseTransactionClosed, OnAClosedDatabaseNothingBegins)
{
    Database db;
    Transaction transaction(db);
    EXPECT_FALSE(transaction.Began());
    EXPECT_FALSE(transaction.Commit());
}

// ---- settings read ------------------------------------------------------------------------------

TEST_F(DatabaseTest, ReadSettingGivesTheTextOfTheFirstRow)
{
    EXPECT_EQ(ReadSetting(db, u"ID"_s), u"1"_s);
    EXPECT_EQ(ReadSetting(db, u"直接登录"_s), u"0"_s);
    EXPECT_EQ(ReadSetting(db, u"纸张边距"_s), u"0"_s);
    EXPECT_EQ(ReadSetting(db, u"logo偏差"_s), u"0"_s);

    const std::optional<QString> missing = ReadSetting(db, u"没有这一列"_s);
    ASSERT_TRUE(missing.has_value()) << "a missing column is no failed query";
    EXPECT_TRUE(missing->isEmpty());
    const std::optional<QString> null = ReadSetting(db, u"logo"_s);
    ASSERT_TRUE(null.has_value());
    EXPECT_TRUE(null->isEmpty());

    ASSERT_TRUE(db.Execute(u"update 配置文件 set 用户登录=NULL where ID=1"_s));
    EXPECT_EQ(ReadSetting(db, u"用户登录"_s), QString());

    // A second row is ignored by reads.
    ASSERT_TRUE(db.Execute(u"update 配置文件 set 店名='第一' where ID=1"_s));
    ASSERT_TRUE(db.Execute(u"insert into 配置文件 (ID, 店名) values (2, '第二')"_s));
    EXPECT_EQ(ReadSetting(db, u"店名"_s), u"第一"_s);
}

TEST(DatabaseReadSettingClosed, FailedQueryIsNoValue)
{
    Database db;
    EXPECT_EQ(ReadSetting(db, u"店名"_s), std::nullopt);

    // A database without the settings table fails the same way.
    TempShop shop;
    const QString path = shop.FilePath(u"bare.mdb"_s);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_key(raw, schema::kDatabaseKey, 8), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "create table other (a);", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_close(raw), SQLITE_OK);
    ASSERT_TRUE(db.Open(path, kKey)) << db.LastError().toStdString();
    EXPECT_EQ(ReadSetting(db, u"店名"_s), std::nullopt);
}

} // namespace
} // namespace quorrel::test
