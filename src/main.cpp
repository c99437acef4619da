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
                      "\n"
                      "Qt 的选项 (如 -platform offscreen) 交给 Qt / Qt's own options (e.g. -platform) go to Qt.\n"
                      "\n"
                      "数据库 ZoZ.mdb 放在程序所在的目录; 该目录不可写时 (安装后的程序),\n"
                      "放在 ~/.local/share/quorrel/ 里.\n"
                      "The database ZoZ.mdb lives beside the program; when that directory is not\n"
                      "writable (an installed program), in ~/.local/share/quorrel/.\n";

// The options answered without a display: they are looked at before QApplication needs one.
// Returns -1 when the program is to start as usual, else its exit status.
int answerInformationOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0)
            break;
        if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-v") == 0) {
            std::printf("Quorrel %s\n", QUORREL_VERSION);
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        }
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (const int status = answerInformationOptions(argc, argv); status >= 0)
        return status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorrel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.quorrel.Quorrel"));
    QApplication::setQuitOnLastWindowClosed(false); // the controller decides when the program ends
    quorrel::installLookAndLanguage(app);

    quorrel::AppController controller(quorrel::defaultDatabasePath());
    QObject::connect(&controller, &quorrel::AppController::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    if (!controller.start())
        return 0;
    return QApplication::exec();
}
