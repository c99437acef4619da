// Child program for the several-tills test: another till on the same shop, whose owner adds a
// product on the products page of its settings window and saves a new shop name there. Prints the
// messages the window showed, one a line.

#include "core/shop/Session.h"
#include "core/store/Schema.h"
#include "gui/settings/SettingsWindow.h"
#include "gui/widgets/MessageBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

namespace {

template <typename T> T* unit(QWidget* window, const char16_t* name)
{
    T* found = window->findChild<T*>(QString::fromUtf16(name));
    if (!found) {
        std::fprintf(stderr, "other_till: no unit %s\n", qPrintable(QString::fromUtf16(name)));
        std::exit(1);
    }
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: other_till CONNECTION PRODUCT PRICE SHOP-NAME\n");
        return 2;
    }
    quorrel::MessageBox::setTestHook([](const quorrel::ShownMessage& message) {
        std::printf("%s\n", message.text.toUtf8().constData());
        return quorrel::MessageAnswer::Ok;
    });
    quorrel::Session session;
    if (!session.db.open(QString::fromLocal8Bit(argv[1]), quorrel::schema::kDatabaseKey)) {
        std::fprintf(stderr, "other_till: %s\n", qPrintable(session.db.lastError()));
        return 1;
    }
    session.currentUserId = 1;
    session.currentUser = QStringLiteral("admin");
    session.currentRole = QStringLiteral("管理员");
    quorrel::SettingsWindow settings(session);
    settings.show();

    unit<QLineEdit>(&settings, u"编辑框_店名")->setText(QString::fromUtf8(argv[4]));
    QTest::mouseClick(unit<QPushButton>(&settings, u"按钮_保存"), Qt::LeftButton);
    unit<QTabWidget>(&settings, u"高级选择夹1")->setCurrentIndex(1);
    unit<QLineEdit>(&settings, u"编辑框_名称")->setText(QString::fromUtf8(argv[2]));
    unit<QLineEdit>(&settings, u"编辑框_单价")->setText(QString::fromUtf8(argv[3]));
    QTest::mouseClick(unit<QPushButton>(&settings, u"按钮_添加"), Qt::LeftButton);
    return 0;
}
