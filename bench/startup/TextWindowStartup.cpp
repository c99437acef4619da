// A second yardstick for start-up: a Qt Widgets program whose one window shows a line of Chinese
// text in the Song face the program uses, then ends. Beside the empty window it shows what loading
// the fonts alone costs.

#include "gui/widgets/Fonts.h"
#include "startup/ShownWatcher.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    quorrel::installFontSubstitutions();
    QLabel window(QStringLiteral("用户名：admin　密 码：　下次直接登录"));
    window.setFont(QFont(QStringLiteral("宋体")));
    quorrel::bench::ShownWatcher watcher([&window] { return &window; });
    app.installEventFilter(&watcher);
    window.show();
    return QApplication::exec();
}
