#include "core/store/Clock.h"

namespace quorrel {

namespace {

class SystemClock : public Clock
{};

const SystemClock g_systemClock;
const Clock* g_clock = &g_systemClock;

} // namespace

QDateTime Clock::now()
{
    return g_clock->currentDateTime();
}

QDateTime Clock::currentDateTime() const
{
    return QDateTime::currentDateTime();
}

void Clock::setCurrent(const Clock* clock)
{
    g_clock = clock ? clock : &g_systemClock;
}

} // namespace quorrel
