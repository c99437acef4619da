#include "core/store/Clock.h"

namespace quorrel {

namespace {
QDateTime g_fixed;
}

QDateTime Clock::Now()
{
    return g_fixed.isValid() ? g_fixed : QDateTime::currentDateTime();
}

void Clock::SetFixed(const QDateTime& moment)
{
    g_fixed = moment;
}

void Clock::Reset()
{
    g_fixed = QDateTime();
}

} // namespace quorrel
