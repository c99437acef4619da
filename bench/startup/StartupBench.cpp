// Start-up time to the login window on screen, against a Qt program that shows one empty window.
// Each measurement starts the program as a child process on the offscreen platform and takes the
// wall time from the start of the process until the child reports its window shown.

#include "core/store/Database.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/Schema.h"
#include "support/RatioReport.h"

#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kTimeoutMilliseconds = 30000;

std::filesystem::path benchDirectory()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

// A shop directory holding the factory database, so the start-up finds a database and shows the
// login window.
class Shop
{
public:
    Shop()
    {
        QString error;
        if (!m_dir.isValid() || !quorrel::writeFactoryDatabase(m_dir.filePath(QStringLiteral("ZoZ.mdb")), &error)) {
            std::fprintf(stderr, "shop directory not prepared: %s\n", error.toLocal8Bit().constData());
            std::exit(1);
        }
    }
    std::string path() const { return m_dir.path().toStdString(); }

private:
    QTemporaryDir m_dir;
};

Shop& theShop()
{
    static Shop shop;
    return shop;
}

// The parent's environment with the offscreen platform chosen.
std::vector<std::string> childEnvironment()
{
    std::vector<std::string> variables;
    for (char** variable = environ; *variable; ++variable) {
        if (std::strncmp(*variable, "QT_QPA_PLATFORM=", 16) != 0)
            variables.emplace_back(*variable);
    }
    variables.emplace_back("QT_QPA_PLATFORM=offscreen");
    return variables;
}

std::string readFile(const std::string& path)
{
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, n);
        std::fclose(file);
    }
    return text;
}

// Starts `program` with `arguments`, waits for its "shown" line and for its end. Returns the
// seconds from the start until "shown", or a negative number with `error` set. `cpuSeconds`, when
// given, receives the CPU time (user and system) the child used in all, its orderly end included.
double timeToShown(const std::string& program, const std::vector<std::string>& arguments, std::string* error,
                   double* cpuSeconds = nullptr)
{
    const std::string errorLog = theShop().path() + "/child-stderr.txt";
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        *error = "pipe failed";
        return -1;
    }

    std::vector<std::string> environment = childEnvironment();
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::vector<std::string> argumentTexts{program};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argumentTexts)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        *error = "could not start " + program + ": " + std::strerror(spawned);
        return -1;
    }

    std::string output;
    double seconds = -1;
    while (seconds < 0) {
        pollfd readable{pipeEnds[0], POLLIN, 0};
        if (poll(&readable, 1, kTimeoutMilliseconds) <= 0) {
            kill(pid, SIGKILL);
            *error = program + " did not show its window in time";
            break;
        }
        char buffer[256];
        const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
        if (n <= 0) {
            *error = program + " ended without showing its window";
            break;
        }
        output.append(buffer, static_cast<std::size_t>(n));
        if (output.find("shown\n") != std::string::npos)
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    close(pipeEnds[0]);

    // The end is not timed, but a child that does not end is stopped rather than waited for forever.
    int status = 0;
    rusage usage{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMilliseconds);
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            break;
        }
        usleep(1000);
    }
    if (cpuSeconds) {
        *cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    }
    if (seconds >= 0 && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
        *error = program + " did not end normally";
        seconds = -1;
    }
    if (seconds < 0) {
        const std::string log = readFile(errorLog);
        if (!log.empty())
            *error += "; its error output:\n" + log;
    }
    return seconds;
}

const std::string& loginProgram()
{
    static const std::string path = (benchDirectory() / "quorrel_startup_login").string();
    return path;
}

const std::string& emptyWindowProgram()
{
    static const std::string path = (benchDirectory() / "quorrel_startup_empty_window").string();
    return path;
}

const std::string& textWindowProgram()
{
    static const std::string path = (benchDirectory() / "quorrel_startup_text_window").string();
    return path;
}

void measure(benchmark::State& state, const std::string& program, const std::vector<std::string>& arguments)
{
    double childCpuSeconds = 0;
    for (auto _ : state) {
        std::string error;
        double cpuSeconds = 0;
        const double seconds = timeToShown(program, arguments, &error, &cpuSeconds);
        if (seconds < 0) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.SetIterationTime(seconds);
        childCpuSeconds += cpuSeconds;
    }
    // The child's CPU time in milliseconds per start (the CPU column is this process's own).
    state.counters["child_cpu_ms"] = benchmark::Counter(childCpuSeconds * 1e3, benchmark::Counter::kAvgIterations);
}

void LoginWindowStartup(benchmark::State& state)
{
    measure(state, loginProgram(), {theShop().path()});
}
BENCHMARK(LoginWindowStartup)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void EmptyWindowStartup(benchmark::State& state)
{
    measure(state, emptyWindowProgram(), {});
}
BENCHMARK(EmptyWindowStartup)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void TextWindowStartup(benchmark::State& state)
{
    measure(state, textWindowProgram(), {});
}
BENCHMARK(TextWindowStartup)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Opening the shop's database in this process, as the login window's start-up does: the part of
// the start-up that is SQLCipher deriving the page key from the password.
void DatabaseOpen(benchmark::State& state)
{
    const QString path = QString::fromStdString(theShop().path()) + QStringLiteral("/ZoZ.mdb");
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        quorrel::Database db;
        if (!db.open(path, QByteArray(quorrel::schema::kDatabaseKey))) {
            state.SkipWithError("the database did not open");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        db.close();
    }
}
BENCHMARK(DatabaseOpen)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

bool hasFlag(int argc, char** argv, const char* flag)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // One start each, untimed, so the timed ones find the files in the page cache; it also shows
    // at once when a program cannot start at all.
    for (const auto& [program, arguments] : {std::pair{loginProgram(), std::vector<std::string>{theShop().path()}},
                                             std::pair{emptyWindowProgram(), std::vector<std::string>{}},
                                             std::pair{textWindowProgram(), std::vector<std::string>{}}}) {
        std::string error;
        if (timeToShown(program, arguments, &error) < 0) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }

    // Each repetition is one start; the two programs' starts are interleaved so that a change in
    // the machine's load affects both alike. Both may be overridden on the command line.
    std::vector<char*> arguments(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=31";
    std::string interleaving = "--benchmark_enable_random_interleaving=true";
    if (!hasFlag(argc, argv, "--benchmark_repetitions"))
        arguments.push_back(repetitions.data());
    if (!hasFlag(argc, argv, "--benchmark_enable_random_interleaving"))
        arguments.push_back(interleaving.data());
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);

    return quorrel::bench::runWithRatios(count, arguments.data(),
                                         {{"start-up to login window / start-up to empty window", "LoginWindowStartup",
                                           "EmptyWindowStartup", 1.5, true, "child_cpu_ms"},
                                          {"start-up to login window / window with Chinese text", "LoginWindowStartup",
                                           "TextWindowStartup", 0, true, "child_cpu_ms"},
                                          {"window with Chinese text / empty window", "TextWindowStartup",
                                           "EmptyWindowStartup", 0, true, "child_cpu_ms"},
                                          {"database open (in process) / start-up to empty window", "DatabaseOpen",
                                           "EmptyWindowStartup", 0, false, ""}});
}
