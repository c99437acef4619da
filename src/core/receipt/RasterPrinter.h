#pragma once

#include "core/receipt/Printer.h"

#include <QFont>
#include <QImage>

#include <functional>
#include <vector>

namespace quorrel {

// The receipt as black and white dots for a printer that prints a picture line by line (a thermal
// receipt printer): at the printer's resolution, as wide as the paper's printable dots, and one
// long strip where other printers begin new pages. Text is thresholded, the logo dithered. The
// strip ends with the lowest dot drawn.
class RasterPrinter : public Printer
{
public:
    // 8 dots per millimetre: the resolution of nearly every receipt printer.
    static constexpr int kDotsPerInch = 203;

    explicit RasterPrinter(int widthDots, int dotsPerInch = kDotsPerInch);
    ~RasterPrinter() override;

    bool startDocument() override;
    void setLeftMargin(int margin) override { m_leftMargin = margin; }
    void setFont(const QString& face, int points, bool bold) override;
    int textWidth(const QString& text) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawPicture(const QByteArray& image, int x, int y, int width, int height) override;
    void writeAt(int x, int y, const QString& text) override;
    void setWritePosition(int x, int y) override;
    void writeLines(const QString& text) override;
    // Draws the strip; false when no document was begun.
    bool endDocument() override;

    // The last strip drawn, in Format_Mono; null before the first.
    const QImage& strip() const { return m_strip; }
    int widthDots() const { return m_widthDots; }

private:
    class Board;
    using Operation = std::function<void(Printer&)>;

    void add(int bottom, Operation operation);

    int m_widthDots;
    int m_dotsPerInch;
    int m_leftMargin = 0;
    bool m_open = false;
    int m_points = 0; // of the font set last, for the height of the text
    QFont m_font;     // the font set last, as the strip draws it
    int m_writeY = 0; // the write position, for the height of WriteLines
    int m_bottom = 0; // the lowest point, in tenths of a millimetre, any operation can reach
    std::vector<Operation> m_operations;
    QImage m_strip;
};

} // namespace quorrel
