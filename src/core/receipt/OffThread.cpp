#include "core/receipt/OffThread.h"

#include <QEventLoop>
#include <QThread>

#include <memory>

namespace quorrel {

bool runOffThread(const std::function<bool(QString* error)>& work, QString* error)
{
    struct Outcome
    {
        bool done = false;
        QString error;
    };
    auto outcome = std::make_shared<Outcome>();
    std::unique_ptr<QThread> worker(QThread::create([work, outcome] { outcome->done = work(&outcome->error); }));
    QEventLoop loop;
    // Queued to this thread: a worker that ends before exec() still ends the loop.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    if (!outcome->done && error)
        *error = outcome->error;
    return outcome->done;
}

} // namespace quorrel
