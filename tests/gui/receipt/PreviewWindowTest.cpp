// The preview window over the real main window: placement, the board and what is drawn on it.

#include "support/AppDriver.h"

#include "gui/app/MainWindow.h"
#include "gui/receipt/BoardWidget.h"
#include "gui/receipt/PreviewWindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace quorrel::test {
namespace {

// Share of the board's pixels in a band of rows that are not white.
double inkIn(const QImage& image, int top, int bottom)
{
    int ink = 0;
    int all = 0;
    for (int y = top; y < bottom && y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x, ++all)
            if (qGray(image.pixel(x, y)) < 160)
                ++ink;
    return all ? double(ink) / all : 0.0;
}

class PreviewWindowTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
    }
    MainWindow* open() { return main = openMainWindow(); }
    void enterLine(const QString& name) { AppTest::enterLine(name, QStringLiteral("1"), QStringLiteral("2")); }
    // Opens the preview with its button and runs `check` on it while it is shown.
    void withPreview(const std::function<void(PreviewWindow&)>& check)
    {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            if (auto* preview = qobject_cast<PreviewWindow*>(QApplication::activeModalWidget())) {
                shown = true;
                check(*preview);
                preview->close();
            }
        });
        QTest::mouseClick(Unit<QPushButton>(main, QStringLiteral("按钮_打印预览")), Qt::LeftButton);
        EXPECT_TRUE(shown) << "the preview did not open";
    }
    MainWindow* main = nullptr;
};

TEST_F(PreviewWindowTest, DrawsTheSaleOnTheBoardBesideTheMainWindow)
{
    ASSERT_NE(open(), nullptr);
    main->move(300, 40);
    enterLine(QStringLiteral("可口可乐"));
    enterLine(QStringLiteral("雪碧"));
    withPreview([&](PreviewWindow& preview) {
        EXPECT_EQ(preview.windowTitle(), QStringLiteral("Quorrel"));
        EXPECT_EQ(preview.geometry().left(), 50);
        EXPECT_EQ(preview.width(), 246);
        EXPECT_EQ(preview.geometry().top(), main->geometry().top());
        EXPECT_EQ(preview.height(), main->height());
        EXPECT_EQ(Unit<QLabel>(&preview, QStringLiteral("标签1"))->text(),
                  QStringLiteral("打印小票，返回主界面，点击打印即可"));
        auto* board = Unit<BoardWidget>(&preview, QStringLiteral("画板1"));
        ASSERT_NE(board, nullptr);
        EXPECT_EQ(board->geometry(), QRect(16, 16, 192, 610));
        const QImage& picture = board->picture();
        ASSERT_EQ(picture.size(), QSize(192, 610));
        const double mmPerPixel = 25.4 / board->logicalDpiY();
        auto row = [&](int tenths) { return int(tenths / 10.0 / mmPerPixel); };
        EXPECT_GT(inkIn(picture, row(10), row(50)), 0.01) << "the shop name is drawn at the top";
        EXPECT_GT(inkIn(picture, row(230), row(300)), 0.01) << "the item lines are drawn";
        EXPECT_LT(inkIn(picture, row(1000), 610), 0.001) << "below the receipt the board stays white";
    });
    EXPECT_EQ(hooks().Printer(), nullptr) << "the preview prints nothing";
}

TEST_F(PreviewWindowTest, PaperMarginMovesTheBoardNotTheReceipt)
{
    shop.exec(QStringLiteral("update 配置文件 set 纸张边距='20' where ID=1"));
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("糖"));
    QImage withMargin;
    withPreview([&](PreviewWindow& moved) {
        auto* board = Unit<BoardWidget>(&moved, QStringLiteral("画板1"));
        EXPECT_EQ(board->pos(), QPoint(36, 16));
        withMargin = board->picture();
    });

    ASSERT_TRUE(app->currentSession().shop.settings().setPaperMarginText(QStringLiteral("0")));
    withPreview([&](PreviewWindow& plain) {
        EXPECT_EQ(Unit<BoardWidget>(&plain, QStringLiteral("画板1"))->pos(), QPoint(16, 16));
        EXPECT_EQ(Unit<BoardWidget>(&plain, QStringLiteral("画板1"))->picture(), withMargin)
            << "the receipt on the board is unchanged";
    });
}

TEST_F(PreviewWindowTest, ButtonOpensThePreviewModally)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("糖"));
    QString opened;
    QTimer::singleShot(0, [&opened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        }
    });
    QTest::mouseClick(Unit<QPushButton>(main, QStringLiteral("按钮_打印预览")), Qt::LeftButton);
    EXPECT_EQ(opened, QStringLiteral("quorrel::PreviewWindow"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("0"));
}

} // namespace
} // namespace quorrel::test
