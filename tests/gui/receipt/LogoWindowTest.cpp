// The logo window on a real shop database: showing, replacing and offsetting the logo, and the
// print-logo switch with the in-memory flag the receipt follows.

#include "support/AppDriver.h"

#include "core/receipt/LogoImage.h"
#include "core/shop/Session.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "gui/receipt/LogoWindow.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace quorrel::test {
namespace {

const QString kStored = QStringLiteral("数据添加成功！");
const QString kStoreFailed = QStringLiteral("数据添加失败！");
const QString kReadFailed = QStringLiteral("logo数据打开失败！");

// 40 × 20, red on the left half and blue on the right, as PNG file bytes.
QByteArray redBluePng()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    for (int y = 0; y < 20; ++y) {
        for (int x = 20; x < 40; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return bytes;
}

QByteArray greenBmp()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(qRgb(0, 255, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "BMP"));
    return bytes;
}

class LogoWindowTest : public HookedTest
{
protected:
    void SetUp() override
    {
        HookedTest::SetUp();
        shop.writeFactory();
        ASSERT_TRUE(session.db.open(shop.databasePath(), schema::kDatabaseKey)) << session.db.lastError().toStdString();
    }
    void TearDown() override
    {
        window.reset();
        session.db.close();
        HookedTest::TearDown();
    }

    LogoWindow* open()
    {
        window = std::make_unique<LogoWindow>(session.shop.settings());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window.get();
    }
    template <typename T = QLineEdit> T* U(const char16_t* name)
    {
        return Unit<T>(window.get(), QString::fromUtf16(name));
    }
    void click(const char16_t* button) { QTest::mouseClick(U<QAbstractButton>(button), Qt::LeftButton); }
    void clickPrintLogo()
    {
        auto* box = U<QCheckBox>(u"选择框1");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }

    // The settings row's column as stored, read through a connection of the test's own.
    QVariant stored(const QString& column)
    {
        Database db;
        EXPECT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey));
        auto records = db.query(QStringLiteral("select ") + column + QStringLiteral(" from 配置文件 where ID=1"));
        EXPECT_NE(records, nullptr) << db.lastError().toStdString();
        return records ? records->readField(1) : QVariant();
    }
    QByteArray storedLogo() { return stored(QStringLiteral("logo")).toByteArray(); }
    void storeLogo(const QByteArray& bytes)
    {
        shop.exec(QStringLiteral("update 配置文件 set logo=? where ID=1"), {bytes});
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = shop.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // Renames the settings table away from the window's statements, and back.
    void breakSettingsTable() { shop.exec(QStringLiteral("alter table 配置文件 rename to 配置文件_改名")); }
    void mendSettingsTable() { shop.exec(QStringLiteral("alter table 配置文件_改名 rename to 配置文件")); }

    void expectOnlyMessage(const QString& text, MessageIcon icon)
    {
        ASSERT_EQ(hooks().messages().size(), 1) << hooks().messageTexts().join(u'|').toStdString();
        const ShownMessage& shown = hooks().messages().first();
        EXPECT_EQ(shown.text, text);
        EXPECT_EQ(shown.caption, QStringLiteral("信息："));
        EXPECT_EQ(shown.icon, icon);
        EXPECT_EQ(shown.buttons, MessageButtons::Ok);
        EXPECT_EQ(shown.ownerClass, QStringLiteral("quorrel::LogoWindow"));
        hooks().clearMessages();
    }

    QImage shown() { return U<QLabel>(u"图片框1")->pixmap().toImage(); }

    TempShop shop;
    Session session;
    std::unique_ptr<LogoWindow> window;
};

TEST_F(LogoWindowTest, HasTheUnitsAndGeometryOfTheLogoWindow)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quorrel"));
    EXPECT_EQ(window->size(), QSize(405, 348));
    EXPECT_EQ(U<QLabel>(u"图片框1")->geometry(), QRect(8, 8, 300, 300));
    EXPECT_EQ(U<QCheckBox>(u"选择框1")->geometry(), QRect(318, 40, 78, 24));
    EXPECT_EQ(U<QCheckBox>(u"选择框1")->text(), QStringLiteral("打印logo"));
    EXPECT_EQ(U<QLabel>(u"标签1")->geometry(), QRect(318, 88, 78, 16));
    EXPECT_EQ(U<QLabel>(u"标签1")->text(), QStringLiteral("图像偏差："));
    EXPECT_EQ(U(u"编辑框1")->geometry(), QRect(318, 120, 58, 24));
    EXPECT_EQ(U<QPushButton>(u"按钮_更改logo")->geometry(), QRect(318, 199, 70, 24));
    EXPECT_EQ(U<QPushButton>(u"按钮_更改logo")->text(), QStringLiteral("更改logo"));
    EXPECT_EQ(U<QPushButton>(u"按钮_保存")->geometry(), QRect(318, 232, 70, 24));
    EXPECT_EQ(U<QPushButton>(u"按钮_保存")->text(), QStringLiteral("保存"));
    EXPECT_EQ(U<QPushButton>(u"按钮2")->geometry(), QRect(318, 272, 70, 24));
    EXPECT_EQ(U<QPushButton>(u"按钮2")->text(), QStringLiteral("退出"));
    EXPECT_TRUE(hooks().messages().isEmpty());
}

TEST_F(LogoWindowTest, OpeningShowsTheStoredLogoOffsetAndFlag)
{
    storeLogo(redBluePng());
    shop.exec(QStringLiteral("update 配置文件 set logo偏差=7, 是否打印logo='真' where ID=1"));
    open();

    // Stretched over the whole box: a 2:1 picture fills 300 × 300.
    const QImage picture = shown();
    ASSERT_EQ(picture.size(), QSize(300, 300));
    EXPECT_EQ(QColor(picture.pixel(60, 20)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(picture.pixel(60, 280)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(picture.pixel(240, 150)), QColor(0, 0, 255));
    EXPECT_EQ(U(u"编辑框1")->text(), QStringLiteral("7"));
    EXPECT_TRUE(U<QCheckBox>(u"选择框1")->isChecked());
    EXPECT_EQ(session.shop.settings().printLogo(), true);
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
}

TEST_F(LogoWindowTest, OpeningANewShopShowsNoLogoAndClearsTheInMemoryFlag)
{
    open();
    EXPECT_TRUE(U<QLabel>(u"图片框1")->pixmap().isNull());
    EXPECT_EQ(U(u"编辑框1")->text(), QStringLiteral("0"));
    EXPECT_FALSE(U<QCheckBox>(u"选择框1")->isChecked());
    EXPECT_NE(session.shop.settings().printLogo(), true);
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
}

TEST_F(LogoWindowTest, AStoredOffsetIsShownAsItsWholePart)
{
    const struct
    {
        QVariant stored;
        const char* shown;
    } cases[] = {{12.9, "12"}, {-3.7, "-3"}, {QStringLiteral("5.5"), "5"}, {QVariant(), "0"}, {QString(), "0"}};
    for (const auto& c : cases) {
        shop.exec(QStringLiteral("update 配置文件 set logo偏差=? where ID=1"), {c.stored});
        session.shop.changedElsewhere(Shop::Table::Settings);
        open();
        EXPECT_EQ(U(u"编辑框1")->text(), QString::fromLatin1(c.shown)) << c.stored.toString().toStdString();
    }
    EXPECT_TRUE(hooks().messages().isEmpty());
}

TEST_F(LogoWindowTest, TickingAndUntickingWritesTheFlagAndTheInMemoryFlag)
{
    open();
    clickPrintLogo();
    EXPECT_TRUE(U<QCheckBox>(u"选择框1")->isChecked());
    EXPECT_EQ(stored(QStringLiteral("是否打印logo")).toString(), QStringLiteral("真"));
    EXPECT_EQ(session.shop.settings().printLogo(), true);

    clickPrintLogo();
    EXPECT_FALSE(U<QCheckBox>(u"选择框1")->isChecked());
    EXPECT_EQ(stored(QStringLiteral("是否打印logo")).toString(), QStringLiteral("假"));
    EXPECT_NE(session.shop.settings().printLogo(), true);
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
}

TEST_F(LogoWindowTest, AFailedFlagUpdateLeavesTheInMemoryFlagAlone)
{
    open();
    breakSettingsTable();
    clickPrintLogo();
    expectOnlyMessage(QStringLiteral("数据修改失败"), MessageIcon::None);
    EXPECT_TRUE(U<QCheckBox>(u"选择框1")->isChecked()) << "the box stays as the user set it";
    EXPECT_NE(session.shop.settings().printLogo(), true);

    mendSettingsTable();
    EXPECT_EQ(stored(QStringLiteral("是否打印logo")).toString(), QStringLiteral("假"));
}

TEST_F(LogoWindowTest, ChangingTheLogoStoresTheChosenFileByteForByte)
{
    open();
    const QByteArray png = redBluePng();
    hooks().chooseNextFile(writeFile(QStringLiteral("logo.png"), png));
    click(u"按钮_更改logo");
    expectOnlyMessage(kStored, MessageIcon::Information);
    EXPECT_EQ(storedLogo(), png);
    EXPECT_EQ(shown().size(), QSize(300, 300));
    EXPECT_EQ(QColor(shown().pixel(240, 150)), QColor(0, 0, 255));

    // The next change replaces it.
    const QByteArray bmp = greenBmp();
    hooks().chooseNextFile(writeFile(QStringLiteral("logo.bmp"), bmp));
    click(u"按钮_更改logo");
    expectOnlyMessage(kStored, MessageIcon::Information);
    EXPECT_EQ(storedLogo(), bmp);
    EXPECT_EQ(QColor(shown().pixel(150, 150)), QColor(0, 255, 0));
}

TEST_F(LogoWindowTest, ATextFileIsKeptButShowsNoPicture)
{
    storeLogo(redBluePng());
    open();
    ASSERT_FALSE(U<QLabel>(u"图片框1")->pixmap().isNull());

    const char raw[] = "Not a picture.\r\n\0binary tail \xC3\xBF";
    const QByteArray text(raw, sizeof raw - 1);
    hooks().chooseNextFile(writeFile(QStringLiteral("readme.txt"), text));
    click(u"按钮_更改logo");
    expectOnlyMessage(kStored, MessageIcon::Information);
    EXPECT_EQ(storedLogo(), text);
    EXPECT_TRUE(U<QLabel>(u"图片框1")->pixmap().isNull());
    EXPECT_TRUE(decodeLogo(storedLogo()).isNull());

    // Opened again, the window still shows nothing for it.
    open();
    EXPECT_TRUE(U<QLabel>(u"图片框1")->pixmap().isNull());
    EXPECT_TRUE(hooks().messages().isEmpty());
}

TEST_F(LogoWindowTest, AFileThatCannotBeReadLeavesTheStoredLogoAlone)
{
    storeLogo(redBluePng());
    open();
    hooks().chooseNextFile(shop.filePath(QStringLiteral("no such file.png")));
    click(u"按钮_更改logo");
    expectOnlyMessage(QStringLiteral("无法读取所选的文件，logo未更改！"), MessageIcon::Error);
    EXPECT_EQ(storedLogo(), redBluePng()) << "a failed read must not wipe the logo";
    EXPECT_FALSE(U<QLabel>(u"图片框1")->pixmap().isNull());
}

TEST_F(LogoWindowTest, CancellingTheDialogStoresTheShownLogoAgain)
{
    const QByteArray png = redBluePng();
    storeLogo(png);
    open();
    // Changed behind the window's back: the cancel writes back what the window shows.
    storeLogo(greenBmp());
    hooks().chooseNextFile(QString());
    click(u"按钮_更改logo");
    expectOnlyMessage(kStored, MessageIcon::Information);
    EXPECT_EQ(storedLogo(), png);
    EXPECT_EQ(QColor(shown().pixel(60, 150)), QColor(255, 0, 0));
}

TEST_F(LogoWindowTest, AFailedLogoUpdateIsReported)
{
    const QByteArray png = redBluePng();
    storeLogo(png);
    open();
    breakSettingsTable();
    hooks().chooseNextFile(writeFile(QStringLiteral("logo.bmp"), greenBmp()));
    click(u"按钮_更改logo");
    expectOnlyMessage(kStoreFailed, MessageIcon::Error);

    hooks().chooseNextFile(QString());
    click(u"按钮_更改logo");
    expectOnlyMessage(kStoreFailed, MessageIcon::Error);

    mendSettingsTable();
    EXPECT_EQ(storedLogo(), png);
}

TEST_F(LogoWindowTest, SavingTheOffsetStoresItsWholeNumberAndShowsItBack)
{
    open();
    const struct
    {
        const char16_t* typed;
        int stored;
    } cases[] = {{u"12", 12}, {u"12.8", 12}, {u" -7 ", -7}, {u"+3", 3}, {u"１５", 15}, {u"1e2", 100}, {u".5", 0}};
    for (const auto& c : cases) {
        const QString typed = QString::fromUtf16(c.typed);
        U(u"编辑框1")->setText(typed);
        click(u"按钮_保存");
        EXPECT_TRUE(hooks().messages().isEmpty()) << typed.toStdString();
        EXPECT_EQ(stored(QStringLiteral("logo偏差")), QVariant(qlonglong(c.stored))) << typed.toStdString();
        EXPECT_EQ(U(u"编辑框1")->text(), QString::number(c.stored)) << typed.toStdString();
    }
}

TEST_F(LogoWindowTest, AnOffsetThatIsNoWholeNumberIsRefusedAndKeptInTheBox)
{
    shop.exec(QStringLiteral("update 配置文件 set logo偏差=12 where ID=1"));
    open();
    for (const char16_t* typed : {u"abc", u"", u"12abc", u"1.2.3", u"- 5", u"99999999999", u"1e400",
                                  u"0' where 1; drop table 销售记录; --", u"1 or 1=1"}) {
        const QString text = QString::fromUtf16(typed);
        U(u"编辑框1")->setText(text);
        click(u"按钮_保存");
        expectOnlyMessage(kStoreFailed, MessageIcon::Error);
        EXPECT_EQ(U(u"编辑框1")->text(), text);
        EXPECT_EQ(stored(QStringLiteral("logo偏差")), QVariant(qlonglong(12))) << text.toStdString();
    }
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("0"));
}

TEST_F(LogoWindowTest, AFailedOffsetUpdateIsReported)
{
    open();
    breakSettingsTable();
    U(u"编辑框1")->setText(QStringLiteral("12"));
    click(u"按钮_保存");
    expectOnlyMessage(kStoreFailed, MessageIcon::Error);
    EXPECT_EQ(U(u"编辑框1")->text(), QStringLiteral("12"));
}

TEST_F(LogoWindowTest, AFailedReadOnOpeningIsReportedAndNeverWipesTheStoredLogo)
{
    const QByteArray png = redBluePng();
    storeLogo(png);
    shop.exec(QStringLiteral("update 配置文件 set logo偏差=7, 是否打印logo='真' where ID=1"));
    breakSettingsTable();
    open();
    ASSERT_EQ(hooks().messageTexts(), (QStringList{kReadFailed, kReadFailed, kReadFailed}));
    for (const ShownMessage& shown : hooks().messages())
        EXPECT_EQ(shown.icon, MessageIcon::Error);
    hooks().clearMessages();
    EXPECT_TRUE(U<QLabel>(u"图片框1")->pixmap().isNull());
    EXPECT_EQ(U(u"编辑框1")->text(), QString());
    EXPECT_FALSE(U<QCheckBox>(u"选择框1")->isChecked());
    EXPECT_NE(session.shop.settings().printLogo(), true);

    // The window never saw the stored logo, so a cancelled dialog has nothing to store again.
    mendSettingsTable();
    hooks().chooseNextFile(QString());
    click(u"按钮_更改logo");
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_EQ(storedLogo(), png);

    // A chosen file is stored as usual.
    const QByteArray bmp = greenBmp();
    hooks().chooseNextFile(writeFile(QStringLiteral("logo.bmp"), bmp));
    click(u"按钮_更改logo");
    expectOnlyMessage(kStored, MessageIcon::Information);
    EXPECT_EQ(storedLogo(), bmp);
}

TEST_F(LogoWindowTest, ExitClosesTheWindow)
{
    open();
    ASSERT_TRUE(window->isVisible());
    click(u"按钮2");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_TRUE(hooks().messages().isEmpty());
}

} // namespace
} // namespace quorrel::test
