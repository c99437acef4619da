#pragma once

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

// What only an administrator may do. A window builds only what the logged-in role may use, so
// that nothing else can be reached by any key.
enum class Permission
{
    ChangeCashier,       // the cashier box and list of the main window
    SaveWithoutPrinting, // 仅保存小票
    EditShopInformation, // the settings window's print page: name, remark, print options
    EditProducts,        // adding, changing and deleting the common products
    ManageUsers,         // adding, changing and deleting users
    DeleteSales,         // deleting a stored sale
    EditStoredLines,     // changing or exporting a stored sale's lines
    ExportRecords,       // the records list to a workbook
    ManageData,          // backup with reset, and restore
};

inline bool roleMay(const QString& role, Permission)
{
    // Every permission belongs to the administrator alone.
    return isAdministratorRole(role);
}

} // namespace quorrel
