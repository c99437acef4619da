#pragma once

#include <QDateTime>

namespace quorrel {

// The program's one source of the current local time. Tests fix it to a moment of their choice.
class Clock
{
public:
    static QDateTime Now();

    // From now on Now() returns `moment` until Reset() (or another SetFixed()).
    static void SetFixed(const QDateTime& moment);
    static void Reset();
};

} // namespace quorrel
