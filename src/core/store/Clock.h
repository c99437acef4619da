#pragma once

#include <QDateTime>

namespace quorrel {

// The program's one source of the current local time. The system's clock unless another one (a
// test's fixed clock) has been put in its place.
class Clock
{
public:
    static QDateTime now();

protected:
    Clock() = default;
    virtual ~Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    virtual QDateTime currentDateTime() const;

    // Puts `clock` in place of the system's; nullptr gives the system's back.
    static void setCurrent(const Clock* clock);
};

} // namespace quorrel
