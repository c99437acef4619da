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
    bool StartDocument() override;
    void SetLeftMargin(int margin) override { m_leftMargin = margin; }
    void SetFont(const QString& face, int points, bool bold) override;
    void DrawLine(int x1, int y1, int x2, int y2) override;
    void DrawPicture(const QByteArray& image, int x, int y, int width, int height) override;
    void WriteAt(int x, int y, const QString& text) override;
    void SetWritePosition(int x, int y) override { m_writePosition = QPoint(x, y); }
    void WriteLines(const QString& text) override;
    bool EndDocument() override;

    int LeftMargin() const { return m_leftMargin; }
    bool Active() const { return m_painter.isActive(); }

protected:
    // The device to draw on, ready for a new document; nullptr when none can be had.
    virtual QPaintDevice* BeginDevice() = 0;
    // Starts the next page; false where the device has no pages (the text then runs on).
    virtual bool NewPage() { return false; }
    // Height of the printable page in tenths of a millimetre; 0 for no pages.
    virtual int PageHeight() const { return 0; }
    virtual bool FinishDevice() { return true; }

    // Height of the layout's printable area in tenths of a millimetre.
    static int PrintableHeight(const QPageLayout& layout);

    QPainter m_painter;

private:
    int m_leftMargin = 0;
    QPoint m_writePosition;
    QFont m_font;
    double m_unitsPerPixel = 1.0; // tenths of a millimetre per device pixel, vertically
};

// Renders receipts to a PDF file, one file per document.
class PdfPrinter : public PainterPrinter
{
public:
    explicit PdfPrinter(QString path, int resolution = 600);
    ~PdfPrinter() override;

protected:
    QPaintDevice* BeginDevice() override;
    bool NewPage() override;
    int PageHeight() const override;
    bool FinishDevice() override;

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
    void ClearBoard();
    const QImage& Image() const { return m_image; }

protected:
    QPaintDevice* BeginDevice() override { return &m_image; }

private:
    QImage m_image;
};

} // namespace quorrel
