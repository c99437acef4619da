#pragma once

#include "core/receipt/Printer.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>

#include <memory>

class QPageLayout;
class QPagedPaintDevice;
class QPdfWriter;

namespace quorrel {

// The receipt drawn through a QPainter scaled to tenths of a millimetre. Subclasses provide the
// device: a printer, a PDF file, an image on screen.
class PainterPrinter : public Printer
{
public:
    bool startDocument() override;
    void setLeftMargin(int margin) override { m_leftMargin = margin; }
    void setFont(const QString& face, int points, bool bold) override;
    int textWidth(const QString& text) override { return advance(m_font, text); }
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawPicture(const QByteArray& image, int x, int y, int width, int height) override;
    void writeAt(int x, int y, const QString& text) override;
    void setWritePosition(int x, int y) override { m_writePosition = QPoint(x, y); }
    void writeLines(const QString& text) override;
    bool endDocument() override;

    int leftMargin() const { return m_leftMargin; }
    // For devices that print every dot black or white: text without smoothing (thresholded) and
    // pictures dithered at the device's resolution. Takes effect with the next document and font.
    void setBilevel(bool bilevel) { m_bilevel = bilevel; }
    bool active() const { return m_painter.isActive(); }

    // The font a receipt's text is drawn with: `points` as the receipt measures them, in tenths of a
    // millimetre, not smoothed on a device of black and white dots.
    static QFont receiptFont(const QString& face, int points, bool bold, bool bilevel);
    // How far `text` advances in `font`, in tenths of a millimetre, rounded up.
    static int advance(const QFont& font, const QString& text);

protected:
    // The device to draw on, ready for a new document; nullptr when none can be had.
    virtual QPaintDevice* beginDevice() = 0;
    // Starts the next page; false where the device has no pages (the text then runs on).
    virtual bool newPage() { return false; }
    // Height of the printable page in tenths of a millimetre; 0 for no pages.
    virtual int pageHeight() const { return 0; }
    virtual bool finishDevice() { return true; }

    // Height of the layout's printable area in tenths of a millimetre.
    static int printableHeight(const QPageLayout& layout);

    QPainter m_painter;

private:
    // Distance from a text's top to its baseline for `font`, so that the ink of ordinary text lies
    // within the font height below the top.
    static double baselineFor(const QFont& font);
    // Draws `text` with its ink within [top, top + font height].
    void drawTextAt(double x, double top, const QString& text);

    int m_leftMargin = 0;
    bool m_bilevel = false;
    QPoint m_writePosition;
    QFont m_font;
    double m_baseline = 0;        // from the top of a text to its baseline, for m_font
    double m_unitsPerPixel = 1.0; // tenths of a millimetre per device pixel, vertically
};

// Renders receipts to a PDF file, one file per document.
class PdfPrinter : public PainterPrinter
{
public:
    explicit PdfPrinter(QString path, int resolution = 600);
    ~PdfPrinter() override;

protected:
    QPaintDevice* beginDevice() override;
    bool newPage() override;
    int pageHeight() const override;
    bool finishDevice() override;

private:
    QString m_path;
    int m_resolution;
    std::unique_ptr<QPdfWriter> m_writer;
};

// Draws on an image at a given resolution, as on a board on screen: no pages, no margin of its own.
class ImagePrinter : public PainterPrinter
{
public:
    ImagePrinter(QSize size, int dotsPerInch);

    // Fills the image white and moves the write position to the top-left corner.
    void clearBoard();
    const QImage& image() const { return m_image; }

protected:
    QPaintDevice* beginDevice() override { return &m_image; }

private:
    QImage m_image;
};

} // namespace quorrel
