// The yardstick for start-up: a Qt Widgets program that shows one empty window, then ends.

#include "startup/ShownWatcher.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    quorrel::bench::ShownWatcher watcher([&window] { return &window; });
    app.installEventFilter(&watcher);
    window.show();
    return QApplication::exec();
}
