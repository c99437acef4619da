#include "core/receipt/RasterPrinter.h"

#include "core/receipt/PainterPrinter.h"

#include <QRegularExpression>

#include <cmath>

namespace quorrel {

namespace {
constexpr double kTenthsPerInch = 254.0;
}

// The strip's drawing surface: an image as long as the receipt can reach.
class RasterPrinter::Board : public PainterPrinter
{
public:
    Board(QSize size, int dotsPerInch) : m_image(size, QImage::Format_Grayscale8)
    {
        const int dotsPerMetre = qRound(dotsPerInch / 0.0254);
        m_image.setDotsPerMeterX(dotsPerMetre);
        m_image.setDotsPerMeterY(dotsPerMetre);
        m_image.fill(Qt::white);
        setBilevel(true);
    }
    ~Board() override
    {
        if (m_painter.isActive())
            m_painter.end();
    }
    const QImage& image() const { return m_image; }

protected:
    QPaintDevice* beginDevice() override { return &m_image; }

private:
    QImage m_image;
};

RasterPrinter::RasterPrinter(int widthDots, int dotsPerInch) : m_widthDots(widthDots), m_dotsPerInch(dotsPerInch) {}

RasterPrinter::~RasterPrinter() = default;

void RasterPrinter::add(int bottom, Operation operation)
{
    if (!m_open)
        return;
    m_bottom = qMax(m_bottom, bottom);
    m_operations.push_back(std::move(operation));
}

bool RasterPrinter::startDocument()
{
    m_operations.clear();
    m_bottom = 0;
    m_writeY = 0;
    m_open = true;
    return true;
}

void RasterPrinter::setFont(const QString& face, int points, bool bold)
{
    m_points = points;
    m_font = PainterPrinter::receiptFont(face, points, bold, true);
    add(0, [face, points, bold](Printer& board) { board.setFont(face, points, bold); });
}

int RasterPrinter::textWidth(const QString& text)
{
    return PainterPrinter::advance(m_font, text);
}

void RasterPrinter::drawLine(int x1, int y1, int x2, int y2)
{
    add(qMax(y1, y2) + 1, [=](Printer& board) { board.drawLine(x1, y1, x2, y2); });
}

void RasterPrinter::drawPicture(const QByteArray& image, int x, int y, int width, int height)
{
    add(y + height, [=](Printer& board) { board.drawPicture(image, x, y, width, height); });
}

void RasterPrinter::writeAt(int x, int y, const QString& text)
{
    add(y + fontHeight(m_points), [=](Printer& board) { board.writeAt(x, y, text); });
}

void RasterPrinter::setWritePosition(int x, int y)
{
    m_writeY = y;
    add(0, [=](Printer& board) { board.setWritePosition(x, y); });
}

void RasterPrinter::writeLines(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    // A line takes the face's line height, which no face makes more than twice the font height.
    const int lines = int(text.count(lineBreak)) + 1;
    m_writeY += lines * (2 * fontHeight(m_points) + 4);
    add(m_writeY, [=](Printer& board) { board.writeLines(text); });
}

bool RasterPrinter::endDocument()
{
    if (!m_open)
        return false;
    m_open = false;
    const int rows = qMax(1, int(std::ceil(m_bottom * m_dotsPerInch / kTenthsPerInch)) + 2);
    Board board(QSize(m_widthDots, rows), m_dotsPerInch);
    board.setLeftMargin(m_leftMargin);
    board.startDocument();
    for (const Operation& operation : m_operations)
        operation(board);
    board.endDocument();
    m_operations.clear();

    // The strip ends with its lowest dot; a receipt with nothing on it is one white row.
    const QImage& drawn = board.image();
    int last = drawn.height() - 1;
    for (; last > 0; --last) {
        const uchar* line = drawn.constScanLine(last);
        bool ink = false;
        for (int x = 0; x < drawn.width() && !ink; ++x)
            ink = line[x] < 128;
        if (ink)
            break;
    }
    m_strip = drawn.copy(0, 0, drawn.width(), last + 1)
                  .convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
    return true;
}

} // namespace quorrel
