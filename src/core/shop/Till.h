#pragma once

#include <QString>

namespace quorrel {

// The name of this till, as sales and the change log keep it: `[Till] name=` in the user's
// quorrel.conf (~/.config/quorrel/quorrel.conf), else the computer's host name.
QString tillName();

} // namespace quorrel
