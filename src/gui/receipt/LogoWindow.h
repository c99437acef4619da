#pragma once

#include <QByteArray>
#include <QDialog>

#include <memory>

namespace Ui {
class LogoWindow;
}

namespace quorrel {

class ShopSettings;

// Shows the stored logo and lets the user replace it, switch its printing on and off and set the
// logo offset. Every change is written to the database at once.
class LogoWindow : public QDialog
{
    Q_OBJECT
public:
    explicit LogoWindow(ShopSettings& settings, QWidget* parent = nullptr);
    ~LogoWindow() override;

private:
    void loadLogoIntoPicture();
    void loadOffsetIntoBox();
    void loadPrintFlag();
    void showLogo(const QByteArray& bytes);

    void printLogoClicked(bool checked);
    void changeLogoClicked();
    void saveOffsetClicked();

    std::unique_ptr<Ui::LogoWindow> m_ui;
    ShopSettings& m_settings;
    QByteArray m_logo;        // the bytes 图片框1 shows, stored again by 更改logo
    bool m_logoKnown = false; // false until the stored logo was read or a file chosen
};

} // namespace quorrel
