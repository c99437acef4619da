#pragma once

#include "core/shop/Users.h"

class QWidget;

namespace quorrel {

// Tells the user, owned by `owner`, why a change to the users may not be made; true (and nothing
// shown) when it may. A check that could not be read says "查询失败！". `userName` names the user
// a deletion was refused for.
bool allowedOrReport(QWidget* owner, const Result<UserRule>& rule, const QString& userName = QString());

} // namespace quorrel
