#include "core/receipt/PainterPrinter.h"

#include "core/receipt/LogoImage.h"

#include <QCache>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>

#include <cmath>
#include <mutex>
#include <utility>

namespace quorrel {

namespace {

constexpr double kTenthsPerInch = 254.0;

// What the layout's gaps are made for: ideographs, full-width signs, Latin letters with descenders
// and digits. Their ink decides where the baseline of every text goes.
const QString kReferenceText = QStringLiteral("国鬱永：，。（）0123456789AgjpqyQ");

// What the ink fitting measures, kept for the whole run and shared by every printer. Measuring shapes
// the text a second time and looks up the extent of each glyph; the answer depends on nothing but the
// font (face, pixel size, weight, smoothing) and the text, and a receipt's fonts and labels are the
// same every time. The texts' boxes are bounded, as item names change from sale to sale. Faces and
// their substitutions are settled at start-up, before the first receipt. Printers may draw on any
// thread.
class InkMeasures
{
public:
    static InkMeasures& instance()
    {
        static InkMeasures measures;
        return measures;
    }

    // The ink box of `text` relative to its baseline, as drawn with `font`.
    QRectF inkBox(const QFont& font, const QString& text)
    {
        return kept(m_boxes, font, text, [&] { return QFontMetricsF(font).tightBoundingRect(text); });
    }

    // How far `text` advances with `font`; measured once, as the layout asks for the same texts
    // again and again while it wraps them.
    double advance(const QFont& font, const QString& text)
    {
        return kept(m_advances, font, text, [&] { return QFontMetricsF(font).horizontalAdvance(text); });
    }

    // The ink box of the reference text: what the baseline of every text of `font` is put by.
    QRectF referenceBox(const QFont& font)
    {
        const std::lock_guard lock(m_mutex);
        const auto known = m_references.constFind(font);
        if (known != m_references.cend())
            return *known;
        const QRectF box = QFontMetricsF(font).tightBoundingRect(kReferenceText);
        m_references.insert(font, box);
        return box;
    }

private:
    template <typename T, typename Measure>
    T kept(QCache<std::pair<QFont, QString>, T>& cache, const QFont& font, const QString& text, Measure measure)
    {
        const std::lock_guard lock(m_mutex);
        const std::pair<QFont, QString> key(font, text);
        if (const T* known = cache.object(key))
            return *known;
        const T value = measure();
        cache.insert(key, new T(value));
        return value;
    }

    // A receipt draws a hundred or so texts; this keeps those of several recent receipts.
    static constexpr int kMaxBoxes = 2000;

    std::mutex m_mutex;
    QHash<QFont, QRectF> m_references; // one per font: a receipt uses a handful
    QCache<std::pair<QFont, QString>, QRectF> m_boxes{kMaxBoxes};
    QCache<std::pair<QFont, QString>, double> m_advances{kMaxBoxes};
};

} // namespace

// The layout leaves room for a text as high as its font height, as a face whose cell is one em with
// the baseline near 0.86 em would fill it. Faces differ widely (the CJK faces here rise 1.16 em above
// the baseline and drop 0.29 em below it), so the baseline is put where the face's own ink fits
// that room, and a text whose ink still would not fit (an unusual sign) is fitted on its own.
double PainterPrinter::baselineFor(const QFont& font)
{
    const double height = font.pixelSize();
    const QRectF ink = InkMeasures::instance().referenceBox(font);
    if (ink.isEmpty())
        return 0.86 * height;
    return (height - ink.height()) / 2 - ink.top();
}

void PainterPrinter::drawTextAt(double x, double top, const QString& text)
{
    const double height = m_font.pixelSize();
    if (height <= 0) { // no receipt font set: the face's own cell
        m_painter.drawText(QPointF(x, top + QFontMetricsF(m_font).ascent()), text);
        return;
    }
    double baseline = top + m_baseline;
    const QRectF ink = InkMeasures::instance().inkBox(m_font, text);
    if (ink.isEmpty() || (m_baseline + ink.top() >= 0 && m_baseline + ink.bottom() <= height)) {
        m_painter.drawText(QPointF(x, baseline), text);
        return;
    }
    if (ink.height() <= height) {
        baseline = top + qBound(-ink.top(), m_baseline, height - ink.bottom());
        m_painter.drawText(QPointF(x, baseline), text);
        return;
    }
    // Taller than the room: shrunk about its top-left corner until it fits.
    const double scale = height / ink.height();
    m_painter.save();
    m_painter.translate(x, top);
    m_painter.scale(scale, scale);
    m_painter.drawText(QPointF(0, -ink.top()), text);
    m_painter.restore();
}

bool PainterPrinter::startDocument()
{
    if (m_painter.isActive())
        m_painter.end();
    QPaintDevice* device = beginDevice();
    if (!device || !m_painter.begin(device))
        return false;
    const double scaleX = device->logicalDpiX() / kTenthsPerInch;
    const double scaleY = device->logicalDpiY() / kTenthsPerInch;
    m_painter.scale(scaleX, scaleY);
    m_unitsPerPixel = 1.0 / scaleY;
    QPen pen(Qt::black, 0, Qt::DotLine); // width 0: one device pixel
    pen.setCosmetic(true);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.setBackgroundMode(Qt::TransparentMode);
    m_painter.setRenderHint(QPainter::TextAntialiasing, !m_bilevel);
    m_painter.setFont(m_font);
    m_writePosition = QPoint(0, 0);
    return true;
}

QFont PainterPrinter::receiptFont(const QString& face, int points, bool bold, bool bilevel)
{
    QFont font(face);
    font.setPixelSize(fontHeight(points));
    font.setBold(bold);
    font.setStyleStrategy(bilevel ? QFont::NoAntialias : QFont::PreferAntialias);
    return font;
}

int PainterPrinter::advance(const QFont& font, const QString& text)
{
    return static_cast<int>(std::ceil(InkMeasures::instance().advance(font, text)));
}

void PainterPrinter::setFont(const QString& face, int points, bool bold)
{
    m_font = receiptFont(face, points, bold, m_bilevel);
    m_baseline = baselineFor(m_font);
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

void PainterPrinter::drawLine(int x1, int y1, int x2, int y2)
{
    if (m_painter.isActive())
        m_painter.drawLine(x1 + m_leftMargin, y1, x2 + m_leftMargin, y2);
}

void PainterPrinter::drawPicture(const QByteArray& image, int x, int y, int width, int height)
{
    if (!m_painter.isActive() || image.isEmpty())
        return;
    const QImage picture = decodeLogo(image);
    if (picture.isNull())
        return;
    const QRect box(x + m_leftMargin, y, width, height);
    if (!m_bilevel) {
        m_painter.drawImage(box, picture);
        return;
    }
    // Dithered dot for dot at the device's resolution: scaling a dithered picture would blur it.
    const QRect dots = m_painter.transform().mapRect(QRectF(box)).toAlignedRect();
    if (dots.isEmpty())
        return;
    QImage flat(dots.size(), QImage::Format_RGB32);
    flat.fill(Qt::white); // transparent parts of the logo are paper
    {
        QPainter scaler(&flat);
        scaler.setRenderHint(QPainter::SmoothPixmapTransform);
        scaler.drawImage(flat.rect(), picture);
    }
    m_painter.save();
    m_painter.resetTransform();
    m_painter.drawImage(dots.topLeft(), flat.convertToFormat(QImage::Format_Mono, Qt::DiffuseDither | Qt::MonoOnly));
    m_painter.restore();
}

void PainterPrinter::writeAt(int x, int y, const QString& text)
{
    if (!m_painter.isActive())
        return;
    drawTextAt(x + m_leftMargin, y, text);
}

void PainterPrinter::writeLines(const QString& text)
{
    if (!m_painter.isActive())
        return;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QFontMetricsF metrics(m_font);
    const int pageBottom = pageHeight();
    double y = m_writePosition.y();
    for (const QString& line : text.split(lineBreak)) {
        const double height = metrics.height(); // an empty line is as high as a "W"
        if (pageBottom > 0 && y > 0 && y + height > pageBottom && newPage())
            y = 0;
        drawTextAt(m_writePosition.x() + m_leftMargin, y, line);
        y += height + 2 * m_unitsPerPixel;
    }
    m_writePosition.setY(qRound(y));
}

int PainterPrinter::printableHeight(const QPageLayout& layout)
{
    return static_cast<int>(layout.paintRect(QPageLayout::Millimeter).height() * 10);
}

bool PainterPrinter::endDocument()
{
    if (!m_painter.isActive())
        return false;
    const bool ended = m_painter.end();
    return finishDevice() && ended;
}

PdfPrinter::PdfPrinter(QString path, int resolution) : m_path(std::move(path)), m_resolution(resolution) {}

PdfPrinter::~PdfPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

QPaintDevice* PdfPrinter::beginDevice()
{
    m_writer = std::make_unique<QPdfWriter>(m_path);
    m_writer->setResolution(m_resolution);
    m_writer->setTitle(QStringLiteral("未命名打印作业"));
    m_writer->setCreator(QStringLiteral("Quorrel"));
    // A receipt roll: 58 mm wide with the usual 4 mm on each side, and a long page.
    m_writer->setPageLayout(QPageLayout(QPageSize(QSizeF(58, 297), QPageSize::Millimeter), QPageLayout::Portrait,
                                        QMarginsF(4, 4, 4, 4), QPageLayout::Millimeter));
    return m_writer.get();
}

bool PdfPrinter::newPage()
{
    return m_writer && m_writer->newPage();
}

int PdfPrinter::pageHeight() const
{
    return m_writer ? printableHeight(m_writer->pageLayout()) : 0;
}

bool PdfPrinter::finishDevice()
{
    m_writer.reset(); // writes the file
    return true;
}

ImagePrinter::ImagePrinter(QSize size, int dotsPerInch) : m_image(size, QImage::Format_RGB32)
{
    const int dotsPerMetre = qRound(dotsPerInch / 0.0254);
    m_image.setDotsPerMeterX(dotsPerMetre);
    m_image.setDotsPerMeterY(dotsPerMetre);
    m_image.fill(Qt::white);
}

void ImagePrinter::clearBoard()
{
    if (m_painter.isActive())
        m_painter.end();
    m_image.fill(Qt::white);
    setWritePosition(0, 0);
}

} // namespace quorrel
