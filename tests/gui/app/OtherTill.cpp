// Child program for the several-tills tests: another till on the same shop.
//   other_till ring CONNECTION TILL SALES       rings up SALES sales as fast as it can; sale n has
//                                               n % 4 + 1 lines named "TILL-n-k"
//   other_till owner CONNECTION PRODUCT PRICE SHOP-NAME
//                                               saves a new shop name and adds a product in the
//                                               settings window, printing its messages, one a line

#include "core/sales/SaleStore.h"
#include "core/shop/Session.h"
#include "core/store/Schema.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/settings/SettingsWindow.h"
#include "gui/widgets/MessageBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

namespace quorrel {
namespace {

int ring(Session& session, const QString& till, int sales)
{
    SaleHeader header; // the number the till last saw: its own last sale's, as the main window keeps it
    header.cashier = header.till = till;
    for (int n = 0; n < sales; ++n) {
        Sale lines;
        for (int k = 0; k <= n % 4; ++k)
            lines.addLine({QStringLiteral("%1-%2-%3").arg(till).arg(n).arg(k), QStringLiteral("1"),
                           QStringLiteral("2.00"), QStringLiteral("2.00"), QStringLiteral("2.00")});
        const Result<StoredSale> stored = storeNextSale(session.db, kTicketFormatDatePrefix, header, lines);
        if (!stored) {
            std::fprintf(stderr, "other_till: %s\n", qPrintable(stored.error()));
            return 1;
        }
        header.ticketNumber = stored->ticketNumber;
    }
    return 0;
}

void type(QWidget* window, const char16_t* box, const char* text)
{
    window->findChild<QLineEdit*>(QString::fromUtf16(box))->setText(QString::fromUtf8(text));
}

int changeAsOwner(Session& session, char** argv)
{
    MessageBox::setTestHook([](const ShownMessage& message) {
        std::printf("%s\n", message.text.toUtf8().constData());
        return MessageAnswer::Ok;
    });
    session.currentUserId = 1;
    session.currentUser = QStringLiteral("admin");
    session.currentRole = QStringLiteral("管理员");
    SettingsWindow settings(session);
    settings.show();
    const auto click = [&settings](const char* button) {
        QTest::mouseClick(settings.findChild<QPushButton*>(QString::fromUtf8(button)), Qt::LeftButton);
    };
    type(&settings, u"编辑框_店名", argv[5]);
    click("按钮_保存");
    settings.findChild<QTabWidget*>(QStringLiteral("高级选择夹1"))->setCurrentIndex(1);
    type(&settings, u"编辑框_名称", argv[3]);
    type(&settings, u"编辑框_单价", argv[4]);
    click("按钮_添加");
    return 0;
}

} // namespace
} // namespace quorrel

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (!((mode == "ring" && argc == 5) || (mode == "owner" && argc == 6))) {
        std::fprintf(stderr, "usage: other_till ring CONNECTION TILL SALES | owner CONNECTION PRODUCT PRICE NAME\n");
        return 2;
    }
    quorrel::Session session;
    if (!session.db.open(QString::fromLocal8Bit(argv[2]), quorrel::schema::kDatabaseKey)) {
        std::fprintf(stderr, "other_till: %s\n", qPrintable(session.db.lastError()));
        return 1;
    }
    if (mode == "ring")
        return quorrel::ring(session, QString::fromLocal8Bit(argv[3]), QByteArray(argv[4]).toInt());
    return quorrel::changeAsOwner(session, argv);
}
