#include "support/CupsServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <algorithm>

#include <cups/cups.h>
#include <signal.h>
#include <sys/prctl.h>

namespace quorrel::test {

namespace {

// Where Debian keeps CUPS's helper programs; cupsd starts every backend through daemon/cups-exec.
const QString kSystemServerBin = QStringLiteral("/usr/lib/cups");

// The variables the server changes while it runs, restored by stop().
const char* const kClientVariables[] = {"CUPS_SERVER", "CUPS_SERVERROOT", "HOME",
                                        "LPDEST",      "PRINTER",         "XDG_CONFIG_HOME"};

// Keeps each job's data (the file in argv[6], else standard input) and title (argv[3]) in the
// directory its device URI names. Files appear under their final names only when complete.
const char kCaptureBackend[] = R"(#!/bin/sh
if [ $# -eq 0 ]; then
    echo 'direct capture "Unknown" "Quorrel test capture"'
    exit 0
fi
dir="${DEVICE_URI#capture:}"
part="$dir/.job-$1"
if [ $# -ge 6 ]; then
    cat "$6" > "$part.data" || exit 1
else
    cat > "$part.data" || exit 1
fi
printf '%s' "$3" > "$part.title" || exit 1
mv "$part.title" "$dir/job-$1.title" || exit 1
mv "$part.data" "$dir/job-$1.data" || exit 1
exit 0
)";

QString tool(const QString& name)
{
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                                 QStringLiteral("/sbin"), QStringLiteral("/bin")});
}

// The client directories are one pair per process: libcups keeps the ones it saw first in each thread,
// so every server of this process must hand out the same ones.
const QTemporaryDir& clientDirectory()
{
    static const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/quorrel-cups-client-XXXXXX"));
    return dir;
}

QString clientServerRoot()
{
    return clientDirectory().filePath(QStringLiteral("serverroot"));
}

QString clientHome()
{
    return clientDirectory().filePath(QStringLiteral("home"));
}

// Where libcups looks for client.conf and lpoptions: the server root and ~/.cups.
QStringList clientConfigDirectories()
{
    return {clientServerRoot(), clientHome() + QStringLiteral("/.cups")};
}

bool writeFile(const QString& path, const QByteArray& content, QFileDevice::Permissions permissions)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    if (file.write(content) != content.size())
        return false;
    file.close();
    return file.error() == QFileDevice::NoError && file.setPermissions(permissions);
}

bool removeIfPresent(const QString& path)
{
    return !QFileInfo::exists(path) || QFile::remove(path);
}

constexpr QFileDevice::Permissions kOwnerAll = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kReadable =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr QFileDevice::Permissions kDirectory =
    kReadable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;

} // namespace

CupsServer::~CupsServer()
{
    stop();
}

bool CupsServer::available(QString* whyNot)
{
    QStringList missing;
    for (const QString& name :
         {QStringLiteral("cupsd"), QStringLiteral("lpadmin"), QStringLiteral("lpstat"), QStringLiteral("lpoptions")}) {
        if (tool(name).isEmpty())
            missing << name;
    }
    const QString exec = kSystemServerBin + QStringLiteral("/daemon/cups-exec");
    if (!QFileInfo(exec).isExecutable())
        missing << exec;
    if (!clientDirectory().isValid())
        missing << QStringLiteral("a temporary directory (%1)").arg(clientDirectory().errorString());
    if (missing.isEmpty())
        return true;
    if (whyNot)
        *whyNot = QStringLiteral("missing ") + missing.join(QStringLiteral(", "));
    return false;
}

bool CupsServer::mustRun()
{
    const QString ci = qEnvironmentVariable("CI").trimmed().toLower();
    return !ci.isEmpty() && ci != QStringLiteral("0") && ci != QStringLiteral("false") && ci != QStringLiteral("no");
}

QString CupsServer::path(const QString& relative) const
{
    return m_dir ? m_dir->filePath(relative) : QString();
}

QString CupsServer::socketPath() const
{
    return path(QStringLiteral("cups.sock"));
}

QString CupsServer::deadSocketPath() const
{
    return path(QStringLiteral("nobody.sock"));
}

bool CupsServer::fail(const QString& why)
{
    m_lastError = why;
    const QString log = errorLogTail();
    if (!log.isEmpty())
        m_lastError += QStringLiteral("\ncupsd's log ends:\n") + log;
    return false;
}

QString CupsServer::errorLogTail() const
{
    QString tail;
    for (const QString& name : {QStringLiteral("log/cupsd.out"), QStringLiteral("log/error_log")}) {
        QFile file(path(name));
        if (!m_dir || !file.open(QIODevice::ReadOnly))
            continue;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        tail += lines.mid(std::max<qsizetype>(0, lines.size() - 15)).join(u'\n') + u'\n';
    }
    return tail.trimmed();
}

bool CupsServer::start()
{
    if (m_running)
        return true;
    QString whyNot;
    if (!available(&whyNot))
        return fail(whyNot);
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quorrel-cupsd-XXXXXX"));
    if (!m_dir->isValid())
        return fail(QStringLiteral("no temporary directory: ") + m_dir->errorString());
    if (m_dir->path().contains(u' '))
        return fail(QStringLiteral("the temporary directory's path has a blank: ") + m_dir->path());
    if (socketPath().toLocal8Bit().size() >= 100)
        return fail(QStringLiteral("the socket path is too long for a Unix socket: ") + socketPath());
    if (!writeServerFiles())
        return false;
    if (!useClientDirectories()) {
        const QString why = m_lastError;
        restoreEnvironment();
        m_lastError = why;
        return false;
    }

    m_cupsd = std::make_unique<QProcess>();
    m_cupsd->setProgram(tool(QStringLiteral("cupsd")));
    m_cupsd->setArguments({QStringLiteral("-f"), QStringLiteral("-c"), path(QStringLiteral("conf/cupsd.conf")),
                           QStringLiteral("-s"), path(QStringLiteral("conf/cups-files.conf"))});
    m_cupsd->setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd->setStandardOutputFile(path(QStringLiteral("log/cupsd.out")));
    // cupsd goes with this process (strictly: with this thread) even when stop() never runs.
    m_cupsd->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_cupsd->start();
    const bool started = m_cupsd->waitForStarted(10000);
    if (!started)
        fail(QStringLiteral("cupsd did not start: ") + m_cupsd->errorString());
    if (!started || !waitUntilAnswering()) {
        const QString why = m_lastError;
        stop();
        m_lastError = why;
        return false;
    }
    m_running = true;
    return true;
}

bool CupsServer::writeServerFiles()
{
    for (const QString& dir :
         {QStringLiteral("conf"), QStringLiteral("bin/backend"), QStringLiteral("cache"), QStringLiteral("state"),
          QStringLiteral("spool/tmp"), QStringLiteral("log"), QStringLiteral("ssl"), QStringLiteral("capture")}) {
        if (!QDir().mkpath(path(dir)))
            return fail(QStringLiteral("cannot make ") + path(dir));
    }
    // cupsd runs a backend as root only from directories no one else can write to.
    if (!QFile::setPermissions(path(QStringLiteral("bin")), kDirectory) ||
        !QFile::setPermissions(path(QStringLiteral("bin/backend")), kDirectory))
        return fail(QStringLiteral("cannot set the permissions of ") + path(QStringLiteral("bin")));
    if (!QFile::link(kSystemServerBin + QStringLiteral("/daemon"), path(QStringLiteral("bin/daemon"))))
        return fail(QStringLiteral("cannot link ") + path(QStringLiteral("bin/daemon")));
    // Mode 0700: cupsd runs the backend as root then, so it can write into this root-owned directory.
    if (!writeFile(path(QStringLiteral("bin/backend/capture")), kCaptureBackend, kOwnerAll))
        return fail(QStringLiteral("cannot write the capture backend"));

    const QByteArray cupsdConf = QStringLiteral("# A private server for tests: one Unix socket, no sharing, no "
                                                "authentication.\n"
                                                "Listen %1\n"
                                                "LogLevel info\n"
                                                "Browsing No\n"
                                                "DefaultShared No\n"
                                                "WebInterface No\n"
                                                "DefaultAuthType None\n"
                                                "<Location />\n"
                                                "  Order allow,deny\n"
                                                "  Allow all\n"
                                                "</Location>\n"
                                                "<Policy default>\n"
                                                "  <Limit All>\n"
                                                "    Order deny,allow\n"
                                                "  </Limit>\n"
                                                "</Policy>\n")
                                     .arg(socketPath())
                                     .toUtf8();
    // No User line: cupsd refuses "User root" and keeps its own unprivileged user for filters.
    const QByteArray filesConf = QStringLiteral("ServerRoot %1/conf\n"
                                                "ServerBin %1/bin\n"
                                                "CacheDir %1/cache\n"
                                                "StateDir %1/state\n"
                                                "RequestRoot %1/spool\n"
                                                "TempDir %1/spool/tmp\n"
                                                "ErrorLog %1/log/error_log\n"
                                                "AccessLog %1/log/access_log\n"
                                                "PageLog %1/log/page_log\n"
                                                "Printcap %1/printcap\n"
                                                "ServerKeychain %1/ssl\n")
                                     .arg(m_dir->path())
                                     .toUtf8();
    if (!writeFile(path(QStringLiteral("conf/cupsd.conf")), cupsdConf, kReadable) ||
        !writeFile(path(QStringLiteral("conf/cups-files.conf")), filesConf, kReadable))
        return fail(QStringLiteral("cannot write the server's configuration"));
    return true;
}

bool CupsServer::useClientDirectories()
{
    if (!clientDirectory().isValid())
        return fail(QStringLiteral("no client directory: ") + clientDirectory().errorString());
    if (m_savedEnvironment.isEmpty()) {
        for (const char* name : kClientVariables) {
            std::optional<QByteArray> value;
            if (qEnvironmentVariableIsSet(name))
                value = qgetenv(name);
            m_savedEnvironment.append({QByteArray(name), value});
        }
    }
    const QByteArray clientConf = QStringLiteral("ServerName %1\n").arg(socketPath()).toUtf8();
    for (const QString& dir : clientConfigDirectories()) {
        if (!QDir().mkpath(dir) || !removeIfPresent(dir + QStringLiteral("/lpoptions")) ||
            !writeFile(dir + QStringLiteral("/client.conf"), clientConf, kReadable))
            return fail(QStringLiteral("cannot prepare the client directory ") + dir);
    }
    qputenv("CUPS_SERVERROOT", QFile::encodeName(clientServerRoot()));
    qputenv("HOME", QFile::encodeName(clientHome()));
    for (const char* name : {"LPDEST", "PRINTER", "XDG_CONFIG_HOME", "CUPS_SERVER"})
        qunsetenv(name);

    // With CUPS_SERVER unset libcups takes the server from client.conf; if it does not find ours, it
    // reads (and would write lpoptions to) directories it picked before this set-up.
    cupsSetServer(nullptr);
    const QString seen = QString::fromUtf8(cupsServer());
    if (seen != socketPath()) {
        return fail(QStringLiteral("libcups was used in this thread before the private server was set up "
                                   "(it asks %1): its settings would go to the real configuration. Start the "
                                   "server before any printing, or run the test in a process of its own.")
                        .arg(seen));
    }
    qputenv("CUPS_SERVER", QFile::encodeName(socketPath()));
    cupsSetServer(nullptr);
    return true;
}

void CupsServer::pointClientsAt(const QString& server)
{
    qputenv("CUPS_SERVER", QFile::encodeName(server));
    cupsSetServer(nullptr);
}

void CupsServer::restoreEnvironment()
{
    if (m_savedEnvironment.isEmpty())
        return;
    // Leave nothing behind that a later server of this process, or a later test, would read.
    for (const QString& dir : clientConfigDirectories()) {
        for (const QString& file : {QStringLiteral("/client.conf"), QStringLiteral("/lpoptions")}) {
            if (!removeIfPresent(dir + file))
                ADD_FAILURE() << "cannot remove " << (dir + file).toStdString();
        }
    }
    for (const auto& [name, value] : m_savedEnvironment) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
    m_savedEnvironment.clear();
    cupsSetServer(nullptr);
}

bool CupsServer::waitUntilAnswering()
{
    const QDeadlineTimer deadline(15000);
    QString answer;
    while (!deadline.hasExpired()) {
        if (m_cupsd->state() == QProcess::NotRunning)
            return fail(QStringLiteral("cupsd ended at once (exit code %1)").arg(m_cupsd->exitCode()));
        if (run(tool(QStringLiteral("lpstat")), {QStringLiteral("-r")}, &answer) &&
            answer.trimmed() == QStringLiteral("scheduler is running"))
            return true;
        QThread::msleep(20);
    }
    return fail(QStringLiteral("cupsd does not answer on ") + socketPath());
}

bool CupsServer::run(const QString& program, const QStringList& arguments, QString* output)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The tools always talk to this server, whatever the test points its own clients at.
    environment.insert(QStringLiteral("CUPS_SERVER"), socketPath());
    environment.insert(QStringLiteral("CUPS_SERVERROOT"), clientServerRoot());
    environment.insert(QStringLiteral("HOME"), clientHome());
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    for (const QString& name : {QStringLiteral("LPDEST"), QStringLiteral("PRINTER"), QStringLiteral("XDG_CONFIG_HOME")})
        environment.remove(name);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const QString command = (QStringList{QFileInfo(program).fileName()} + arguments).join(u' ');
    if (!process.waitForStarted(10000))
        return fail(command + QStringLiteral(" did not start: ") + process.errorString());
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(5000);
        return fail(command + QStringLiteral(" did not finish"));
    }
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (output)
        *output = out;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return fail(QStringLiteral("%1 failed (exit code %2): %3")
                        .arg(command)
                        .arg(process.exitCode())
                        .arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed()));
    }
    return true;
}

bool CupsServer::addQueue(const QString& name)
{
    if (!m_running)
        return fail(QStringLiteral("the server is not running"));
    const QString capture = path(QStringLiteral("capture/") + name);
    if (!QDir().mkpath(capture))
        return fail(QStringLiteral("cannot make ") + capture);
    // No model: a raw queue, the document goes to the backend as it is.
    if (!run(tool(QStringLiteral("lpadmin")), {QStringLiteral("-p"), name, QStringLiteral("-v"),
                                               QStringLiteral("capture:") + capture, QStringLiteral("-E")}))
        return false;
    m_queues << name;
    return true;
}

bool CupsServer::removeQueue(const QString& name)
{
    if (!run(tool(QStringLiteral("lpadmin")), {QStringLiteral("-x"), name}))
        return false;
    m_queues.removeAll(name);
    return true;
}

bool CupsServer::rejectJobs(const QString& name)
{
    return run(tool(QStringLiteral("cupsreject")), {name});
}

bool CupsServer::failJobs(const QString& name)
{
    // Without its capture directory the backend cannot keep the job and ends with an error.
    if (!QDir(path(QStringLiteral("capture/") + name)).removeRecursively())
        return fail(QStringLiteral("cannot remove the capture directory of ") + name);
    return run(tool(QStringLiteral("lpadmin")),
               {QStringLiteral("-p"), name, QStringLiteral("-o"), QStringLiteral("printer-error-policy=abort-job")});
}

bool CupsServer::setServerDefault(const QString& name)
{
    return run(tool(QStringLiteral("lpadmin")), {QStringLiteral("-d"), name});
}

bool CupsServer::setUserDefault(const QString& name)
{
    return run(tool(QStringLiteral("lpoptions")), {QStringLiteral("-d"), name});
}

bool CupsServer::setUserOption(const QString& destination, const QString& option)
{
    return run(tool(QStringLiteral("lpoptions")), {QStringLiteral("-p"), destination, QStringLiteral("-o"), option});
}

QList<CapturedJob> CupsServer::capturedJobs(const QString& queue) const
{
    const QDir dir(path(QStringLiteral("capture/") + queue));
    QList<std::pair<int, QString>> numbered;
    for (const QString& file : dir.entryList({QStringLiteral("job-*.data")}, QDir::Files)) {
        bool ok = false;
        const int id = file.mid(4, file.size() - 9).toInt(&ok);
        if (ok)
            numbered.append({id, file.chopped(5)});
    }
    std::sort(numbered.begin(), numbered.end());
    QList<CapturedJob> jobs;
    for (const auto& [id, stem] : numbered) {
        QFile data(dir.filePath(stem + QStringLiteral(".data")));
        QFile title(dir.filePath(stem + QStringLiteral(".title")));
        if (!data.open(QIODevice::ReadOnly) || !title.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read the captured job " << dir.filePath(stem).toStdString();
            continue;
        }
        jobs.append({QString::fromUtf8(title.readAll()), data.readAll()});
    }
    return jobs;
}

QList<CapturedJob> CupsServer::waitForJobs(const QString& queue, int count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        QList<CapturedJob> jobs = capturedJobs(queue);
        QString pending;
        // Once the queue is idle every job sent to it so far has been captured.
        const bool idle =
            run(tool(QStringLiteral("lpstat")), {QStringLiteral("-o"), queue}, &pending) && pending.trimmed().isEmpty();
        if ((jobs.size() >= count && idle) || deadline.hasExpired())
            return jobs;
        QTest::qWait(20);
    }
}

void CupsServer::stop()
{
    if (m_running && m_cupsd && m_cupsd->state() == QProcess::NotRunning) {
        fail(QStringLiteral("cupsd ended while the test ran (exit code %1)").arg(m_cupsd->exitCode()));
        ADD_FAILURE() << m_lastError.toStdString();
    }
    if (m_cupsd && m_cupsd->state() != QProcess::NotRunning) {
        // Queues go before the server, so that it stops at once and leaves nothing to restore.
        for (const QString& queue : QStringList(m_queues)) {
            if (!removeQueue(queue))
                ADD_FAILURE() << m_lastError.toStdString();
        }
        m_cupsd->terminate();
        if (!m_cupsd->waitForFinished(10000)) {
            ADD_FAILURE() << "cupsd did not stop on SIGTERM";
            m_cupsd->kill();
            m_cupsd->waitForFinished(5000);
        } else if (m_running && (m_cupsd->exitStatus() != QProcess::NormalExit || m_cupsd->exitCode() != 0)) {
            fail(QStringLiteral("cupsd stopped with exit code %1").arg(m_cupsd->exitCode()));
            ADD_FAILURE() << m_lastError.toStdString();
        }
    }
    m_cupsd.reset();
    m_queues.clear();
    restoreEnvironment();
    m_running = false;
}

} // namespace quorrel::test
