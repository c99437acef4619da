#pragma once

#include "core/receipt/EscPos.h"
#include "core/receipt/RasterPrinter.h"
#include "core/receipt/RawTransport.h"

#include <atomic>

class QSettings;

namespace quorrel {

// A receipt printer reached without a driver, as the till machine's user set it up. Kept per user
// on the machine (QSettings), not with the shop's data: another till has another printer.
struct ThermalSettings
{
    bool enabled = false; // receipts go to this printer rather than the system's default
    RawConnection connection;
    int paperMillimetres = 58; // 58 or 80
    bool cut = false;
    bool openDrawer = false;
    // Off ("不查询打印机状态") only for a printer known not to answer ESC/POS status requests: its
    // receipt then counts as printed once its bytes are taken.
    bool askStatus = true;

    // Printable dots across the paper at 8 dots per millimetre: 384 on 58 mm, 576 on 80 mm.
    int widthDots() const { return paperMillimetres == 80 ? 576 : 384; }

    static ThermalSettings load(QSettings& settings);
    void save(QSettings& settings) const;
    // From and to the user's own settings of this program.
    static ThermalSettings load();
    // False when the settings could not be written.
    bool save() const;
};

// An ESC/POS receipt printer: the receipt drawn as a raster strip, sent as one stream per document.
// A document blocks until the printer has taken it: lay it out off the GUI thread.
class ThermalPrinter : public Printer
{
public:
    // How long a printer may go without taking a byte of the receipt (or answering) before it counts
    // as not printing.
    static constexpr int kSendTimeoutMs = 5000;

    explicit ThermalPrinter(ThermalSettings settings, int timeoutMs = kSendTimeoutMs);

    bool startDocument() override { return m_raster.startDocument(); }
    void setLeftMargin(int margin) override { m_raster.setLeftMargin(margin); }
    void setFont(const QString& face, int points, bool bold) override { m_raster.setFont(face, points, bold); }
    int textWidth(const QString& text) override { return m_raster.textWidth(text); }
    void drawLine(int x1, int y1, int x2, int y2) override { m_raster.drawLine(x1, y1, x2, y2); }
    void drawPicture(const QByteArray& image, int x, int y, int width, int height) override
    {
        m_raster.drawPicture(image, x, y, width, height);
    }
    void writeAt(int x, int y, const QString& text) override { m_raster.writeAt(x, y, text); }
    void setWritePosition(int x, int y) override { m_raster.setWritePosition(x, y); }
    void writeLines(const QString& text) override { m_raster.writeLines(text); }
    // Draws, encodes and sends the receipt; false when the printer did not take it.
    bool endDocument() override;
    QString notReady() const override { return m_notReady; }
    void cancel() override { m_cancelled = true; }

    const ThermalSettings& settings() const { return m_settings; }
    // Why the last document was not printed, for the log.
    const QString& lastError() const { return m_lastError; }

private:
    ThermalSettings m_settings;
    int m_timeoutMs;
    RasterPrinter m_raster;
    QString m_lastError;
    QString m_notReady;
    std::atomic<bool> m_cancelled{false};
};

} // namespace quorrel
