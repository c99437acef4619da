#pragma once

#include "core/store/RecordSet.h"

#include <QString>
#include <QVariantList>

#include <memory>

class QWidget;

namespace quorrel {

class Database;

// The database operations as the windows use them: a failure is reported to the user at once.
namespace ui {

inline const QString kQueryFailed = QStringLiteral("查询失败！");

// The record set, or nullptr after showing "查询失败！".
std::unique_ptr<RecordSet> query(Database& db, const QString& sql, const QVariantList& params = {},
                                 QWidget* owner = nullptr);

// The settings column as text; "查询失败！" and an empty text when the read fails.
QString readSetting(Database& db, const QString& column, QWidget* owner = nullptr);

// Runs the statement; on failure shows `failureMessage` and returns false.
bool execute(Database& db, const QString& sql, const QVariantList& params, const QString& failureMessage,
             QWidget* owner = nullptr);

} // namespace ui
} // namespace quorrel
