#include "core/store/Schema.h"

#include <array>
#include <cstddef>

namespace quorrel::schema {

// The name box's completion and the customer search look things up in tables of their own, kept up
// to date by triggers however the products and customers are changed:
// - 商品前缀: every prefix (letters folded A-Z to a-z) shared by more than 256 products, with the
//   highest ID among them; the row of the empty prefix holds the highest product ID taken in. A
//   rename may make a listed product stop matching, so the trigger lists the renamed one.
// - 客户电话片段: every ending of three or more characters of every telephone number, folded as
//   LIKE folds letters; 客户电话待办 notes each changed number (with the one it had) until the next
//   search takes it in.
constexpr char kLookupTables[] = R"SQL(
CREATE TABLE 商品前缀 (前缀 TEXT PRIMARY KEY, 最大ID INTEGER);
CREATE TRIGGER 商品前缀_改名 AFTER UPDATE OF 名称 ON 商品名称 BEGIN
    UPDATE 商品前缀 SET 最大ID = new.ID WHERE 最大ID < new.ID AND 前缀 <> '' AND
        前缀 = substr(new.名称, 1, length(前缀)) COLLATE NOCASE;
END;
CREATE TABLE 客户电话片段 (片段 TEXT NOT NULL, 客户 INTEGER NOT NULL, PRIMARY KEY (片段, 客户)) WITHOUT ROWID;
CREATE TABLE 客户电话待办 (客户 INTEGER, 旧电话 TEXT);
CREATE TRIGGER 客户电话_新增 AFTER INSERT ON 客户资料 BEGIN
    INSERT INTO 客户电话待办 (客户, 旧电话) VALUES (new.ID, NULL);
END;
CREATE TRIGGER 客户电话_修改 AFTER UPDATE OF ID, 电话 ON 客户资料 BEGIN
    INSERT INTO 客户电话待办 (客户, 旧电话) VALUES (old.ID, old.电话);
    INSERT INTO 客户电话待办 (客户, 旧电话) VALUES (new.ID, NULL);
END;
CREATE TRIGGER 客户电话_删除 AFTER DELETE ON 客户资料 BEGIN
    INSERT INTO 客户电话待办 (客户, 旧电话) VALUES (old.ID, old.电话);
END;
CREATE INDEX 客户资料_电话 ON 客户资料 (电话);
CREATE INDEX 客户资料_姓名 ON 客户资料 (姓名);
)SQL";

// Texts as one, made when the program is built.
template <std::size_t... N> constexpr std::array<char, (N + ...) - sizeof...(N) + 1> joined(const char (&... parts)[N])
{
    std::array<char, (N + ...) - sizeof...(N) + 1> out{};
    std::size_t at = 0;
    auto append = [&](const char* part, std::size_t size) {
        for (std::size_t i = 0; i + 1 < size; ++i)
            out[at++] = part[i];
    };
    (append(parts, N), ...);
    out[at] = '\0';
    return out;
}

// Text columns compare without regard to ASCII letter case, as the shop's statements expect.
constexpr char kShopTables[] = R"SQL(
CREATE TABLE 配置文件 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    店名 TEXT COLLATE NOCASE,
    全局单号格式 TEXT COLLATE NOCASE,
    备注 TEXT COLLATE NOCASE,
    客户 TEXT COLLATE NOCASE,
    电话 TEXT COLLATE NOCASE,
    折扣 TEXT COLLATE NOCASE,
    付款方式的选中 TEXT COLLATE NOCASE,
    保存销售记录 TEXT COLLATE NOCASE,
    显示打印完毕 TEXT COLLATE NOCASE,
    提示再次打印 TEXT COLLATE NOCASE,
    打印单价 TEXT COLLATE NOCASE,
    纸张边距 TEXT COLLATE NOCASE,
    打印偏差 TEXT COLLATE NOCASE,
    用户登录 TEXT COLLATE NOCASE,
    直接登录 TEXT COLLATE NOCASE,
    logo偏差 INTEGER,
    是否打印logo TEXT COLLATE NOCASE,
    logo BLOB
);
CREATE TABLE 用户登录 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    用户名 TEXT COLLATE NOCASE,
    权限 TEXT COLLATE NOCASE,
    密码 TEXT COLLATE NOCASE
);
CREATE TABLE 商品名称 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    名称 TEXT COLLATE NOCASE,
    单价 TEXT COLLATE NOCASE
);
CREATE INDEX 商品名称_名称 ON 商品名称 (名称 COLLATE NOCASE);
CREATE TABLE 付款方式 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    方式 TEXT COLLATE NOCASE
);
CREATE TABLE 客户资料 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    姓名 TEXT COLLATE NOCASE,
    电话 TEXT COLLATE NOCASE
);
CREATE TABLE 销售记录 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    销售票号 TEXT COLLATE NOCASE,
    销售时间 TEXT COLLATE NOCASE,
    数量 TEXT COLLATE NOCASE,
    金额 TEXT COLLATE NOCASE,
    收银员 TEXT COLLATE NOCASE,
    备注 TEXT COLLATE NOCASE,
    付款方式 TEXT COLLATE NOCASE,
    实收 TEXT COLLATE NOCASE,
    找零 TEXT COLLATE NOCASE,
    收银台 TEXT COLLATE NOCASE
);
CREATE INDEX 销售记录_销售时间 ON 销售记录 (销售时间);
CREATE INDEX 销售记录_销售票号 ON 销售记录 (销售票号);
CREATE TABLE 销售详情 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    关联 INTEGER,
    名称 TEXT COLLATE NOCASE,
    数量 TEXT COLLATE NOCASE,
    单价 TEXT COLLATE NOCASE,
    金额 TEXT COLLATE NOCASE,
    折后 TEXT COLLATE NOCASE,
    备注 TEXT COLLATE NOCASE,
    折扣 TEXT COLLATE NOCASE
);
CREATE INDEX 销售详情_关联 ON 销售详情 (关联);
CREATE TABLE 末单票号 (
    ID INTEGER PRIMARY KEY,
    销售ID INTEGER,
    销售票号 TEXT
);
)SQL";

// Every delete of a stored sale and every change or delete of a stored line leaves a row here, in
// the same transaction as the change; the rows themselves can be neither changed nor deleted.
constexpr char kChangeLog[] = R"SQL(
CREATE TABLE IF NOT EXISTS 销售变更 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    时间 TEXT,
    用户 TEXT,
    收银台 TEXT,
    动作 TEXT,
    销售票号 TEXT,
    之前 TEXT,
    之后 TEXT
);
CREATE INDEX IF NOT EXISTS 销售变更_时间 ON 销售变更 (时间);
CREATE TRIGGER IF NOT EXISTS 销售变更_不可修改 BEFORE UPDATE ON 销售变更 BEGIN
    SELECT RAISE(ABORT, '销售变更的记录不能修改');
END;
CREATE TRIGGER IF NOT EXISTS 销售变更_不可删除 BEFORE DELETE ON 销售变更 BEGIN
    SELECT RAISE(ABORT, '销售变更的记录不能删除');
END;
)SQL";

constexpr auto kAllTables = joined(kShopTables, kChangeLog, kLookupTables);
const char* const kCreateTables = kAllTables.data();

const char* const kUpgradeToVersion2 = R"SQL(
CREATE INDEX IF NOT EXISTS 销售记录_销售时间 ON 销售记录 (销售时间);
CREATE INDEX IF NOT EXISTS 销售记录_销售票号 ON 销售记录 (销售票号);
CREATE TABLE IF NOT EXISTS 末单票号 (
    ID INTEGER PRIMARY KEY,
    销售ID INTEGER,
    销售票号 TEXT
);
)SQL";

const std::array<AddedColumn, 5> kColumnsOfVersion4{{
    {"销售记录", "付款方式"},
    {"销售记录", "实收"},
    {"销售记录", "找零"},
    {"销售记录", "收银台"},
    {"销售详情", "折扣"},
}};

const char* const kCreateChangeLog = kChangeLog;

const char* const kDropLookupTables = R"SQL(
DROP TRIGGER IF EXISTS 商品前缀_改名;
DROP TABLE IF EXISTS 商品前缀;
DROP TRIGGER IF EXISTS 客户电话_新增;
DROP TRIGGER IF EXISTS 客户电话_修改;
DROP TRIGGER IF EXISTS 客户电话_删除;
DROP TABLE IF EXISTS 客户电话片段;
DROP TABLE IF EXISTS 客户电话待办;
DROP INDEX IF EXISTS 客户资料_电话;
DROP INDEX IF EXISTS 客户资料_姓名;
)SQL";

const char* const kCreateLookupTables = kLookupTables;

// In key order, so the table is written front to back.
const char* const kFillPhoneIndex = R"SQL(
INSERT OR IGNORE INTO 客户电话片段 (片段, 客户)
WITH RECURSIVE 尾(片段, 客户) AS (
    SELECT lower(电话), ID FROM 客户资料 WHERE length(电话) >= 3
    UNION ALL SELECT substr(片段, 2), 客户 FROM 尾 WHERE length(片段) > 3)
SELECT 片段, 客户 FROM 尾 ORDER BY 片段, 客户;
)SQL";

const char* const kFactoryRows = R"SQL(
INSERT INTO 配置文件 (ID, 店名, 全局单号格式, 备注, 客户, 电话, 折扣, 付款方式的选中, 保存销售记录,
                      显示打印完毕, 提示再次打印, 打印单价, 纸张边距, 打印偏差, 用户登录, 直接登录,
                      logo偏差, 是否打印logo, logo)
VALUES (1, '我的小店', '2', '谢谢惠顾，欢迎再次光临！', '假', '假', '假', '真', '真',
        '真', '假', '真', '0', '0', '', '0', 0, '假', NULL);
INSERT INTO 用户登录 (用户名, 权限, 密码) VALUES ('admin', '管理员', 'd41d8cd98f00b204e9800998ecf8427e');
INSERT INTO 付款方式 (方式) VALUES ('现金');
INSERT INTO 付款方式 (方式) VALUES ('微信支付');
INSERT INTO 付款方式 (方式) VALUES ('支付宝');
INSERT INTO 付款方式 (方式) VALUES ('银行卡');
INSERT INTO 商品前缀 (前缀, 最大ID) VALUES ('', 0);
)SQL";

} // namespace quorrel::schema
