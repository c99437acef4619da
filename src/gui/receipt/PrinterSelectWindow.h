#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class PrinterSelectWindow;
}

namespace quorrel {

struct ThermalSettings;

// Shows which installed printer is the user's default and makes another one the default, or sets
// up a receipt printer reached without a driver (ESC/POS over a device, the network or a raw CUPS
// queue), which then takes the receipts instead. Its settings are the user's on this machine.
class PrinterSelectWindow : public QDialog
{
    Q_OBJECT
public:
    static inline const QString kEnumerationFailed = QStringLiteral("枚举打印机失败");
    static inline const QString kNoPrinterChosen = QStringLiteral("请选择打印机！");
    static inline const QString kSaveFailed = QStringLiteral("设置默认打印机失败！");
    static inline const QString kNoAddress = QStringLiteral("请填写热敏打印机的地址！");
    static inline const QString kBadAddress =
        QStringLiteral("网络打印机的地址应为“主机:端口”，例如 192.168.1.100:9100");
    static inline const QString kThermalSaveFailed = QStringLiteral("保存热敏打印机设置失败！");
    static inline const QString kTestPrinted = QStringLiteral("测试小票已发送到打印机");
    static inline const QString kTestFailed = QStringLiteral("小票没有打印出来！请检查热敏打印机的连接和地址。");

    explicit PrinterSelectWindow(QWidget* parent = nullptr);
    ~PrinterSelectWindow() override;

private:
    void loadPrinters();
    void loadThermal();
    // The direct printer as the window shows it; false, after telling the user, when its address
    // cannot be used.
    bool thermalFromWindow(ThermalSettings& settings);
    void connectionChanged();
    void saveClicked();
    void testClicked();

    std::unique_ptr<Ui::PrinterSelectWindow> m_ui;
};

} // namespace quorrel
