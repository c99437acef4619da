// The program's start-up up to the login window on screen, then an orderly end.
// Usage: quorrel_startup_login SHOP_DIRECTORY (a directory that holds the factory ZoZ.mdb)

#include "gui/app/AppController.h"
#include "gui/app/LoginWindow.h"
#include "gui/widgets/Fonts.h"
#include "startup/ShownWatcher.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SHOP_DIRECTORY\n", argv[0]);
        return 2;
    }
    const QDir shop(QString::fromLocal8Bit(argv[1]));

    // As the program's main() does, with the shop directory in place of the program directory.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorrel"));
    QApplication::setQuitOnLastWindowClosed(false);
    quorrel::installLookAndLanguage(app);

    quorrel::AppController controller(shop.filePath(QStringLiteral("ZoZ.mdb")));
    QObject::connect(&controller, &quorrel::AppController::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    quorrel::bench::ShownWatcher watcher([&controller]() -> QWidget* { return controller.login(); });
    app.installEventFilter(&watcher);
    if (!controller.start())
        return 1;
    return QApplication::exec();
}
