#include "gui/app/AppController.h"
#include "gui/app/AppPaths.h"
#include "gui/widgets/Fonts.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorrel"));
    QApplication::setQuitOnLastWindowClosed(false); // the controller decides when the program ends
    quorrel::installLookAndLanguage(app);

    quorrel::AppController controller(quorrel::defaultDatabasePath());
    QObject::connect(&controller, &quorrel::AppController::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    if (!controller.start())
        return 0;
    return QApplication::exec();
}
