#include "core/store/Schema.h"

namespace quorrel::schema {

// Text columns compare without regard to ASCII letter case, as the shop's statements expect.
const char* const kCreateTables = R"SQL(
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
    备注 TEXT COLLATE NOCASE
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
    备注 TEXT COLLATE NOCASE
);
CREATE INDEX 销售详情_关联 ON 销售详情 (关联);
CREATE TABLE 末单票号 (
    ID INTEGER PRIMARY KEY,
    销售ID INTEGER,
    销售票号 TEXT
);
)SQL";

// Brings a file of version 1 to the current tables. Each step may already be present.
const char* const kUpgradeTables = R"SQL(
CREATE INDEX IF NOT EXISTS 销售记录_销售时间 ON 销售记录 (销售时间);
CREATE INDEX IF NOT EXISTS 销售记录_销售票号 ON 销售记录 (销售票号);
CREATE TABLE IF NOT EXISTS 末单票号 (
    ID INTEGER PRIMARY KEY,
    销售ID INTEGER,
    销售票号 TEXT
);
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
)SQL";

} // namespace quorrel::schema
