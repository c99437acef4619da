#pragma once

#include "core/store/Clock.h"

namespace quorrel::test {

// A clock that stands still at a moment the test chooses.
class MockClock : public Clock
{
public:
    // From now on Clock::now() returns `moment` until reset() (or another setFixed()).
    static void setFixed(const QDateTime& moment);
    // Back to the system's clock.
    static void reset();

protected:
    QDateTime currentDateTime() const override { return m_moment; }

private:
    QDateTime m_moment;
};

} // namespace quorrel::test
