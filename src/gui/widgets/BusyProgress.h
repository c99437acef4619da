#pragma once

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;

namespace quorrel {

// A wait that may be long: nothing is shown for the first half second, then a modal dialog with a
// busy bar and `label` that repaints at every tick() until the object goes. Input to the program's
// windows is held off meanwhile, so nothing new starts.
class BusyProgress
{
public:
    explicit BusyProgress(QString label);
    ~BusyProgress();
    BusyProgress(const BusyProgress&) = delete;
    BusyProgress& operator=(const BusyProgress&) = delete;

    static constexpr int kShowAfterMs = 500;

    // Called often by the work that takes the time.
    void tick();
    bool shown() const { return m_dialog != nullptr; }

private:
    QString m_label;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace quorrel
