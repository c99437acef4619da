#pragma once

#include "core/store/Database.h"

#include <QString>

namespace quorrel {

inline const QString kAdministratorRole = QStringLiteral("管理员");
inline const QString kOrdinaryRole = QStringLiteral("普通用户");

// The one role check of the program: only the text "管理员" makes an administrator; any other
// role, "普通用户" or not, is an ordinary user.
inline bool isAdministratorRole(const QString& role)
{
    return role == kAdministratorRole;
}

// Print settings, loaded when the main window opens and updated by the settings windows.
struct PrintSettings
{
    bool showPrintFinished = false; // 显示打印完毕
    bool askPrintAgain = false;     // 提示再次打印
    bool printUnitPrice = false;    // 打印单价
    bool saveSalesRecords = false;  // 保存销售记录 (read, consulted by nothing)
    bool printLogo = false;         // 是否打印logo
    int paperMargin = 0;            // 纸张边距
    int printOffset = 0;            // 打印偏差
};

// What the running program holds for its whole life: the connection, who is logged in (one row of
// the users table, by its ID), the print settings and the ticket-number format.
struct Session
{
    Database db;
    qint64 currentUserId = 0; // the 用户登录 row logged in; 0 until it is known
    QString currentUser;
    QString currentRole;
    PrintSettings print;
    int ticketFormat = 0;

    bool isAdministrator() const { return isAdministratorRole(currentRole); }
};

} // namespace quorrel
