#pragma once

#include <QDateTime>

namespace quorrel {

// The program's one source of the current local time. Tests fix it to a moment of their choice.
class Clock
{
public:
    static QDateTime now();

    // From now on now() returns `moment` until reset() (or another setFixed()).
    static void setFixed(const QDateTime& moment);
    static void reset();
};

} // namespace quorrel
