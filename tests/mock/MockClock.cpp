#include "mock/MockClock.h"

namespace quorrel::test {

namespace {
MockClock g_mockClock;
}

void MockClock::setFixed(const QDateTime& moment)
{
    g_mockClock.m_moment = moment;
    setCurrent(&g_mockClock);
}

void MockClock::reset()
{
    setCurrent(nullptr);
}

} // namespace quorrel::test
