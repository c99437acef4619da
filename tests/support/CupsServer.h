#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace quorrel::test {

// One job as the capture backend received it.
struct CapturedJob
{
    QString title;   // the job's name
    QByteArray data; // the document as it reached the printer
};

// A private CUPS server for one test: its own cupsd with its configuration, spool and logs in a
// temporary directory, and raw queues that hand every job to a capture backend instead of a printer.
// The machine's own CUPS set-up is never changed.
//
// While it runs, this process and the programs it starts talk to it: CUPS_SERVER names its socket,
// CUPS_SERVERROOT and HOME point at private client directories (so lpoptions writes stay there) and
// LPDEST and PRINTER are unset. libcups reads these when a thread first uses it and keeps them, so
// the server must be started before this thread makes any QPrinter or other CUPS call; start()
// checks that and fails otherwise. Start and stop it in one thread that outlives it (cupsd is told
// to end with that thread). stop() (also run by the destructor) removes the queues, stops cupsd and
// restores the environment.
class CupsServer
{
public:
    CupsServer() = default;
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    // Whether this machine has what the server needs (cupsd, lpadmin, lpstat, lpoptions, CUPS's
    // helper programs); if not, why.
    static bool available(QString* whyNot);
    // Whether a test that cannot have the server must fail rather than skip (CI is set).
    static bool mustRun();

    bool start();
    void stop();
    bool isRunning() const { return m_running; }

    // Adds an enabled raw queue whose jobs land in its own capture directory.
    bool addQueue(const QString& name);
    bool removeQueue(const QString& name);
    // Makes the queue refuse new jobs (cupsreject), as a queue that is being serviced does.
    bool rejectJobs(const QString& name);
    // Makes the queue's backend fail every job from now on, and CUPS abort the failed job.
    bool failJobs(const QString& name);
    // The server-wide default (lpadmin -d).
    bool setServerDefault(const QString& name);
    // The user's own default, the way a user sets it (lpoptions -d).
    bool setUserDefault(const QString& name);
    // A saved option of the user's (lpoptions -p); for "queue/instance" this creates the instance.
    bool setUserOption(const QString& destination, const QString& option);

    // The jobs captured for `queue`, oldest first, once at least `count` have arrived and the queue
    // has no job left to process, or whatever there is when `timeoutMs` runs out.
    QList<CapturedJob> waitForJobs(const QString& queue, int count, int timeoutMs);
    // The jobs captured for `queue` so far, oldest first.
    QList<CapturedJob> capturedJobs(const QString& queue) const;

    QString socketPath() const;
    // A socket path in the server's directory that nothing listens on.
    QString deadSocketPath() const;
    // Points this process and the programs it starts at another server (or a dead socket); stop()
    // undoes it.
    void pointClientsAt(const QString& server);

    // Why the last call failed, with the end of cupsd's error log.
    QString lastError() const { return m_lastError; }

private:
    QString path(const QString& relative) const;
    bool writeServerFiles();
    bool waitUntilAnswering();
    bool useClientDirectories();
    void restoreEnvironment();
    bool run(const QString& program, const QStringList& arguments, QString* output = nullptr);
    bool fail(const QString& why);
    QString errorLogTail() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_cupsd;
    QStringList m_queues;
    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_savedEnvironment;
    QString m_lastError;
    bool m_running = false;
};

} // namespace quorrel::test

// Skips the current test when this machine cannot run CUPS, with the reason, except under CI, where
// it fails so that a broken set-up never passes silently. For SetUp() or a test body.
#define QUORREL_REQUIRE_CUPS()                                                                                         \
    do {                                                                                                               \
        QString whyNot_;                                                                                               \
        if (!::quorrel::test::CupsServer::available(&whyNot_)) {                                                       \
            if (::quorrel::test::CupsServer::mustRun())                                                                \
                FAIL() << "CUPS is needed under CI: " << whyNot_.toStdString();                                        \
            GTEST_SKIP() << "no CUPS here: " << whyNot_.toStdString();                                                 \
        }                                                                                                              \
    } while (false)

// Starts `server` for the current test, after QUORREL_REQUIRE_CUPS(). A server that should run but
// does not start fails the test. For SetUp() or a test body.
#define QUORREL_START_CUPS_SERVER(server)                                                                              \
    do {                                                                                                               \
        QUORREL_REQUIRE_CUPS();                                                                                        \
        ASSERT_TRUE((server).start()) << (server).lastError().toStdString();                                           \
    } while (false)
