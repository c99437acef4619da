#include "core/store/ShopCopy.h"
#include "gui/app/AppController.h"
#include "gui/app/AppPaths.h"
#include "gui/widgets/Fonts.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] = "用法: quorrel [选项]\n"
                      "Usage: quorrel [options]\n"
                      "\n"
                      "Quorrel 收银: 小店的收银程序 (point of sale for small shops).\n"
                      "\n"
                      "选项 / Options:\n"
                      "  -h, --help       显示本说明并退出 / show this help and exit\n"
                      "  -v, --version    显示名称和版本并退出 / show the name and version and exit\n"
                      "  --database 连接  使用 PostgreSQL 服务器上的数据库 (libpq 的 URI 或 key=value)\n"
                      "                   / use the shop on a PostgreSQL server (a libpq URI or key=value)\n"
                      "  --copy-database 从 到\n"
                      "                   把整个店的数据从 ZoZ.mdb 复制到服务器 (或反过来) 并退出\n"
                      "                   / copy a whole shop between a ZoZ.mdb and a server, then exit\n"
                      "\n"
                      "Qt 的选项 (如 -platform offscreen) 交给 Qt / Qt's own options (e.g. -platform) go to Qt.\n"
                      "\n"
                      "没有 --database 时依次看环境变量 QUORREL_DATABASE 和 quorrel.conf 的 [Database] url=.\n"
                      "Without --database: the environment's QUORREL_DATABASE, then [Database] url= in quorrel.conf.\n"
                      "\n"
                      "数据库 ZoZ.mdb 放在程序所在的目录; 该目录不可写时 (安装后的程序),\n"
                      "放在 ~/.local/share/quorrel/ 里.\n"
                      "The database ZoZ.mdb lives beside the program; when that directory is not\n"
                      "writable (an installed program), in ~/.local/share/quorrel/.\n";

// Qt's own options (QGuiApplication's, QApplication's and the X platform's), given as "-name",
// "--name" or "-name=value"; `takesValue` when the value may also follow as the next argument.
struct QtOption
{
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {{"platform", true},
                                   {"platformpluginpath", true},
                                   {"platformtheme", true},
                                   {"plugin", true},
                                   {"qwindowgeometry", true},
                                   {"geometry", true},
                                   {"qwindowtitle", true},
                                   {"title", true},
                                   {"qwindowicon", true},
                                   {"icon", true},
                                   {"style", true},
                                   {"stylesheet", true},
                                   {"session", true},
                                   {"display", true},
                                   {"name", true},
                                   {"qmljsdebugger", false},
                                   {"reverse", false},
                                   {"widgetcount", false},
                                   {"nograb", false},
                                   {"dograb", false},
                                   {"sync", false}};

// How many arguments Qt takes at argv[i] (the option and its value), 0 when it is none of Qt's.
int qtOptionLength(int argc, char** argv, int i)
{
    const char* name = argv[i] + 1;
    if (*name == '-')
        ++name;
    const char* equals = std::strchr(name, '=');
    const std::size_t length = equals ? std::size_t(equals - name) : std::strlen(name);
    for (const QtOption& option : kQtOptions) {
        if (std::strlen(option.name) != length || std::strncmp(option.name, name, length) != 0)
            continue;
        return !equals && option.takesValue && i + 1 < argc ? 2 : 1;
    }
    return 0;
}

int written(std::FILE* stream)
{
    return std::fflush(stream) == 0 && !std::ferror(stream) ? 0 : 1;
}

// Copies a whole shop from one database to the other (file or server, either way); 0 when done.
int copyDatabase(const QString& from, const QString& to)
{
    const quorrel::Done copied = quorrel::copyShop(from, to);
    if (!copied) {
        std::fprintf(stderr, "quorrel: 复制失败 / copy failed: %s\n", qPrintable(copied.error()));
        written(stderr);
        return 1;
    }
    std::printf("复制完成 / copied: %s -> %s\n", qPrintable(from), qPrintable(to));
    return written(stdout);
}

// The options are read before QApplication, which needs a display: --help and --version are
// answered without one, and an option that is neither the program's nor Qt's is refused with the
// usage (status 2) instead of reaching a QApplication that could not start.
// Returns -1 when the program is to start as usual (on `database` when one is named), else its
// exit status.
int answerOptions(int argc, char** argv, QString* database)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0)
            break;
        if (std::strncmp(arg, "--database=", 11) == 0) {
            *database = QString::fromLocal8Bit(arg + 11);
            continue;
        }
        if (std::strcmp(arg, "--database") == 0 && i + 1 < argc) {
            *database = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        if (std::strcmp(arg, "--copy-database") == 0) {
            if (i + 2 >= argc) {
                std::fputs("quorrel: --copy-database 需要两个参数: 从 到 / needs two arguments: FROM TO\n", stderr);
                written(stderr);
                return 2;
            }
            return copyDatabase(QString::fromLocal8Bit(argv[i + 1]), QString::fromLocal8Bit(argv[i + 2]));
        }
        if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-v") == 0) {
            std::printf("Quorrel %s\n", QUORREL_VERSION);
            return written(stdout);
        }
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return written(stdout);
        }
        if (arg[0] != '-' || arg[1] == '\0')
            continue;
        if (const int length = qtOptionLength(argc, argv, i)) {
            i += length - 1;
            continue;
        }
        std::fprintf(stderr, "quorrel: 未知的选项 / unknown option: %s\n", arg);
        std::fputs(kUsage, stderr);
        written(stderr);
        return 2;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QString database;
    if (const int status = answerOptions(argc, argv, &database); status >= 0)
        return status;

    quorrel::preferChineseSystemLocale();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorrel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.quorrel.Quorrel"));
    QApplication::setQuitOnLastWindowClosed(false); // the controller decides when the program ends
    quorrel::installLookAndLanguage(app);

    quorrel::AppController controller(quorrel::chosenDatabase(database));
    QObject::connect(&controller, &quorrel::AppController::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    if (!controller.start())
        return 0;
    return QApplication::exec();
}
