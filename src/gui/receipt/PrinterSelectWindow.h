#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class PrinterSelectWindow;
}

namespace quorrel {

// Shows which installed printer is the user's default and makes another one the default. Receipts
// always go to that default; the window keeps nothing after it closes.
class PrinterSelectWindow : public QDialog
{
    Q_OBJECT
public:
    static inline const QString kEnumerationFailed = QStringLiteral("枚举打印机失败");
    static inline const QString kNoPrinterChosen = QStringLiteral("请选择打印机！");
    static inline const QString kSaveFailed = QStringLiteral("设置默认打印机失败！");

    explicit PrinterSelectWindow(QWidget* parent = nullptr);
    ~PrinterSelectWindow() override;

private:
    void loadPrinters();
    void saveClicked();

    std::unique_ptr<Ui::PrinterSelectWindow> m_ui;
};

} // namespace quorrel
