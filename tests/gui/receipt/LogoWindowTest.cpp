// The logo window on a real shop database: showing, replacing and offsetting the logo, and the
// print-logo switch with the in-memory flag the receipt follows.

#include "support/AppDriver.h"

#include "core/shop/Session.h"
#include "core/receipt/LogoImage.h"
#include "gui/receipt/LogoWindow.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"

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
QByteArray RedBluePng()
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

QByteArray GreenBmp()
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
        shop.WriteFactory();
        ASSERT_TRUE(session.db.Open(shop.DatabasePath(), schema::kDatabaseKey)) << session.db.LastError().toStdString();
    }
    void TearDown() override
    {
        window.reset();
        session.db.Close();
        HookedTest::TearDown();
    }

    LogoWindow* Open()
    {
        window = std::make_unique<LogoWindow>(session);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window.get();
    }
    template <typename T = QLineEdit> T* U(const char16_t* name)
    {
        return Unit<T>(window.get(), QString::fromUtf16(name));
    }
    void Click(const char16_t* button) { QTest::mouseClick(U<QAbstractButton>(button), Qt::LeftButton); }
    void ClickPrintLogo()
    {
        auto* box = U<QCheckBox>(u"选择框1");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }

    // The settings row's column as stored, read through a connection of the test's own.
    QVariant Stored(const QString& column)
    {
        Database db;
        EXPECT_TRUE(db.Open(shop.DatabasePath(), schema::kDatabaseKey));
        auto records = db.Query(QStringLiteral("select ") + column + QStringLiteral(" from 配置文件 where ID=1"));
        EXPECT_NE(records, nullptr) << db.LastError().toStdString();
        return records ? records->ReadField(1) : QVariant();
    }
    QByteArray StoredLogo() { return Stored(QStringLiteral("logo")).toByteArray(); }
    void StoreLogo(const QByteArray& bytes)
    {
        shop.Exec(QStringLiteral("update 配置文件 set logo=? where ID=1"), {bytes});
    }

    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = shop.FilePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // Renames the settings table away from the window's statements, and back.
    void BreakSettingsTable() { shop.Exec(QStringLiteral("alter table 配置文件 rename to 配置文件_改名")); }
    void MendSettingsTable() { shop.Exec(QStringLiteral("alter table 配置文件_改名 rename to 配置文件")); }

    void ExpectOnlyMessage(const QString& text, MessageIcon icon)
    {
        ASSERT_EQ(hooks().Messages().size(), 1) << hooks().MessageTexts().join(u'|').toStdString();
        const ShownMessage& shown = hooks().Messages().first();
        EXPECT_EQ(shown.text, text);
        EXPECT_EQ(shown.caption, QStringLiteral("信息："));
        EXPECT_EQ(shown.icon, icon);
        EXPECT_EQ(shown.buttons, MessageButtons::Ok);
        EXPECT_EQ(shown.ownerClass, QStringLiteral("quorrel::LogoWindow"));
        hooks().ClearMessages();
    }

    QImage Shown() { return U<QLabel>(u"图片框1")->pixmap().toImage(); }

    TempShop shop;
    Session session;
    std::unique_ptr<LogoWindow> window;
};

TEST_F(LogoWindowTest, HasTheUnitsAndGeometryOfTheLogoWindow)
{
    Open();
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
    EXPECT_TRUE(hooks().Messages().isEmpty());
}

TEST_F(LogoWindowTest, OpeningShowsTheStoredLogoOffsetAndFlag)
{
    StoreLogo(RedBluePng());
    shop.Exec(QStringLiteral("update 配置文件 set logo偏差=7, 是否打印logo='真' where ID=1"));
    session.print.printLogo = false;
    Open();

    // Stretched over the whole box: a 2:1 picture fills 300 × 300.
    const QImage shown = Shown();
    ASSERT_EQ(shown.size(), QSize(300, 300));
    EXPECT_EQ(QColor(shown.pixel(60, 20)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(shown.pixel(60, 280)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(shown.pixel(240, 150)), QColor(0, 0, 255));
    EXPECT_EQ(U(u"编辑框1")->text(), QStringLiteral("7"));
    EXPECT_TRUE(U<QCheckBox>(u"选择框1")->isChecked());
    EXPECT_TRUE(session.print.printLogo);
    EXPECT_TRUE(hooks().Messages().isEmpty()) << hooks().MessageTexts().join(u'|').toStdString();
}

TEST_F(LogoWindowTest, OpeningANewShopShowsNoLogoAndClearsTheInMemoryFlag)
{
    session.print.printLogo = true;
    Open();
    EXPECT_TRUE(U<QLabel>(u"图片框1")->pixmap().isNull());
    EXPECT_EQ(U(u"编辑框1")->text(), QStringLiteral("0"));
    EXPECT_FALSE(U<QCheckBox>(u"选择框1")->isChecked());
    EXPECT_FALSE(session.print.printLogo);
    EXPECT_TRUE(hooks().Messages().isEmpty()) << hooks().MessageTexts().join(u'|').toStdString();
}

TEST_F(LogoWindowTest, AStoredOffsetIsShownAsItsWholePart)
{
    const struct
    {
        QVariant stored;
        const char* shown;
    } cases[] = {{12.9, "12"}, {-3.7, "-3"}, {QStringLiteral("5.5"), "5"}, {QVariant(), "0"}, {QString(), "0"}};
    for (const auto& c : cases) {
        shop.Exec(QStringLiteral("update 配置文件 set logo偏差=? where ID=1"), {c.stored});
        Open();
        EXPECT_EQ(U(u"编辑框1")->text(), QString::fromLatin1(c.shown)) << c.stored.toString().toStdString();
    }
    EXPECT_TRUE(hooks().Messages().isEmpty());
}

TEST_F(LogoWindowTest, TickingAndUntickingWritesTheFlagAndTheInMemoryFlag)
{
    Open();
    ClickPrintLogo();
    EXPECT_TRUE(U<QCheckBox>(u"选择框1")->isChecked());
    EXPECT_EQ(Stored(QStringLiteral("是否打印logo")).toString(), QStringLiteral("真"));
    EXPECT_TRUE(session.print.printLogo);

    ClickPrintLogo();
    EXPECT_FALSE(U<QCheckBox>(u"选择框1")->isChecked());
    EXPECT_EQ(Stored(QStringLiteral("是否打印logo")).toString(), QStringLiteral("假"));
    EXPECT_FALSE(session.print.printLogo);
    EXPECT_TRUE(hooks().Messages().isEmpty()) << hooks().MessageTexts().join(u'|').toStdString();
}

TEST_F(LogoWindowTest, AFailedFlagUpdateLeavesTheInMemoryFlagAlone)
{
    Open();
    BreakSettingsTable();
    ClickPrintLogo();
    ExpectOnlyMessage(QStringLiteral("数据修改失败"), MessageIcon::None);
    EXPECT_TRUE(U<QCheckBox>(u"选择框1")->isChecked()) << "the box stays as the user set it";
    EXPECT_FALSE(session.print.printLogo);

    MendSettingsTable();
    EXPECT_EQ(Stored(QStringLiteral("是否打印logo")).toString(), QStringLiteral("假"));
}

TEST_F(LogoWindowTest, ChangingTheLogoStoresTheChosenFileByteForByte)
{
    Open();
    const QByteArray png = RedBluePng();
    hooks().ChooseNextFile(WriteFile(QStringLiteral("logo.png"), png));
    Click(u"按钮_更改logo");
    ExpectOnlyMessage(kStored, MessageIcon::Information);
    EXPECT_EQ(StoredLogo(), png);
    EXPECT_EQ(Shown().size(), QSize(300, 300));
    EXPECT_EQ(QColor(Shown().pixel(240, 150)), QColor(0, 0, 255));

    // The next change replaces it.
    const QByteArray bmp = GreenBmp();
    hooks().ChooseNextFile(WriteFile(QStringLiteral("logo.bmp"), bmp));
    Click(u"按钮_更改logo");
    ExpectOnlyMessage(kStored, MessageIcon::Information);
    EXPECT_EQ(StoredLogo(), bmp);
    EXPECT_EQ(QColor(Shown().pixel(150, 150)), QColor(0, 255, 0));
}

TEST_F(LogoWindowTest, ATextFileIsKeptButShowsNoPicture)
{
    StoreLogo(RedBluePng());
    Open();
    ASSERT_FALSE(U<QLabel>(u"图片框1")->pixmap().isNull());

    const char raw[] = "Not a picture.\r\n\0binary tail \xC3\xBF";
    const QByteArray text(raw, sizeof raw - 1);
    hooks().ChooseNextFile(WriteFile(QStringLiteral("readme.txt"), text));
    Click(u"按钮_更改logo");
    ExpectOnlyMessage(kStored, MessageIcon::Information);
    EXPECT_EQ(StoredLogo(), text);
    EXPECT_TRUE(U<QLabel>(u"图片框1")->pixmap().isNull());
    EXPECT_TRUE(DecodeLogo(StoredLogo()).isNull());

    // Opened again, the window still shows nothing for it.
    Open();
    EXPECT_TRUE(U<QLabel>(u"图片框1")->pixmap().isNull());
    EXPECT_TRUE(hooks().Messages().isEmpty());
}

TEST_F(LogoWindowTest, AFileThatCannotBeReadLeavesTheStoredLogoAlone)
{
    StoreLogo(RedBluePng());
    Open();
    hooks().ChooseNextFile(shop.FilePath(QStringLiteral("no such file.png")));
    Click(u"按钮_更改logo");
    ExpectOnlyMessage(QStringLiteral("无法读取所选的文件，logo未更改！"), MessageIcon::Error);
    EXPECT_EQ(StoredLogo(), RedBluePng()) << "a failed read must not wipe the logo";
    EXPECT_FALSE(U<QLabel>(u"图片框1")->pixmap().isNull());
}

TEST_F(LogoWindowTest, CancellingTheDialogStoresTheShownLogoAgain)
{
    const QByteArray png = RedBluePng();
    StoreLogo(png);
    Open();
    // Changed behind the window's back: the cancel writes back what the window shows.
    StoreLogo(GreenBmp());
    hooks().ChooseNextFile(QString());
    Click(u"按钮_更改logo");
    ExpectOnlyMessage(kStored, MessageIcon::Information);
    EXPECT_EQ(StoredLogo(), png);
    EXPECT_EQ(QColor(Shown().pixel(60, 150)), QColor(255, 0, 0));
}

TEST_F(LogoWindowTest, AFailedLogoUpdateIsReported)
{
    const QByteArray png = RedBluePng();
    StoreLogo(png);
    Open();
    BreakSettingsTable();
    hooks().ChooseNextFile(WriteFile(QStringLiteral("logo.bmp"), GreenBmp()));
    Click(u"按钮_更改logo");
    ExpectOnlyMessage(kStoreFailed, MessageIcon::Error);

    hooks().ChooseNextFile(QString());
    Click(u"按钮_更改logo");
    ExpectOnlyMessage(kStoreFailed, MessageIcon::Error);

    MendSettingsTable();
    EXPECT_EQ(StoredLogo(), png);
}

TEST_F(LogoWindowTest, SavingTheOffsetStoresItsWholeNumberAndShowsItBack)
{
    Open();
    const struct
    {
        const char16_t* typed;
        int stored;
    } cases[] = {{u"12", 12}, {u"12.8", 12}, {u" -7 ", -7}, {u"+3", 3}, {u"１５", 15}, {u"1e2", 100}, {u".5", 0}};
    for (const auto& c : cases) {
        const QString typed = QString::fromUtf16(c.typed);
        U(u"编辑框1")->setText(typed);
        Click(u"按钮_保存");
        EXPECT_TRUE(hooks().Messages().isEmpty()) << typed.toStdString();
        EXPECT_EQ(Stored(QStringLiteral("logo偏差")), QVariant(qlonglong(c.stored))) << typed.toStdString();
        EXPECT_EQ(U(u"编辑框1")->text(), QString::number(c.stored)) << typed.toStdString();
    }
}

TEST_F(LogoWindowTest, AnOffsetThatIsNoWholeNumberIsRefusedAndKeptInTheBox)
{
    shop.Exec(QStringLiteral("update 配置文件 set logo偏差=12 where ID=1"));
    Open();
    for (const char16_t* typed : {u"abc", u"", u"12abc", u"1.2.3", u"- 5", u"99999999999", u"1e400",
                                  u"0' where 1; drop table 销售记录; --", u"1 or 1=1"}) {
        const QString text = QString::fromUtf16(typed);
        U(u"编辑框1")->setText(text);
        Click(u"按钮_保存");
        ExpectOnlyMessage(kStoreFailed, MessageIcon::Error);
        EXPECT_EQ(U(u"编辑框1")->text(), text);
        EXPECT_EQ(Stored(QStringLiteral("logo偏差")), QVariant(qlonglong(12))) << text.toStdString();
    }
    EXPECT_EQ(shop.Scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("0"));
}

TEST_F(LogoWindowTest, AFailedOffsetUpdateIsReported)
{
    Open();
    BreakSettingsTable();
    U(u"编辑框1")->setText(QStringLiteral("12"));
    Click(u"按钮_保存");
    ExpectOnlyMessage(kStoreFailed, MessageIcon::Error);
    EXPECT_EQ(U(u"编辑框1")->text(), QStringLiteral("12"));
}

TEST_F(LogoWindowTest, AFailedReadOnOpeningIsReportedAndNeverWipesTheStoredLogo)
{
    const QByteArray png = RedBluePng();
    StoreLogo(png);
    shop.Exec(QStringLiteral("update 配置文件 set logo偏差=7, 是否打印logo='真' where ID=1"));
    session.print.printLogo = true;
    BreakSettingsTable();
    Open();
    ASSERT_EQ(hooks().MessageTexts(), (QStringList{kReadFailed, kReadFailed, kReadFailed}));
    for (const ShownMessage& shown : hooks().Messages())
        EXPECT_EQ(shown.icon, MessageIcon::Error);
    hooks().ClearMessages();
    EXPECT_TRUE(U<QLabel>(u"图片框1")->pixmap().isNull());
    EXPECT_EQ(U(u"编辑框1")->text(), QString());
    EXPECT_FALSE(U<QCheckBox>(u"选择框1")->isChecked());
    EXPECT_FALSE(session.print.printLogo);

    // The window never saw the stored logo, so a cancelled dialog has nothing to store again.
    MendSettingsTable();
    hooks().ChooseNextFile(QString());
    Click(u"按钮_更改logo");
    EXPECT_TRUE(hooks().Messages().isEmpty()) << hooks().MessageTexts().join(u'|').toStdString();
    EXPECT_EQ(StoredLogo(), png);

    // A chosen file is stored as usual.
    const QByteArray bmp = GreenBmp();
    hooks().ChooseNextFile(WriteFile(QStringLiteral("logo.bmp"), bmp));
    Click(u"按钮_更改logo");
    ExpectOnlyMessage(kStored, MessageIcon::Information);
    EXPECT_EQ(StoredLogo(), bmp);
}

TEST_F(LogoWindowTest, ExitClosesTheWindow)
{
    Open();
    ASSERT_TRUE(window->isVisible());
    Click(u"按钮2");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_TRUE(hooks().Messages().isEmpty());
}

} // namespace
} // namespace quorrel::test
