#include "core/receipt/EscPos.h"

namespace quorrel {

namespace {

// Blank rows at least this many in a row are fed rather than sent as dots: a feed is three bytes,
// a blank row as wide as 80 mm paper 72.
constexpr int kFeedFrom = 4;

void appendWord(QByteArray& out, int value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

void appendFeed(QByteArray& out, int rows)
{
    for (; rows > 0; rows -= 255) {
        out.append("\x1b\x4a", 2); // ESC J n: feed n dot rows
        out.append(char(qMin(rows, 255)));
    }
}

} // namespace

QByteArray encodeEscPos(const QImage& picture, const EscPosOptions& options)
{
    // Thresholded first, so that every dot is plainly black or white; Format_Mono's colour table
    // says which bit value is black, and the bits are inverted below where 1 is white.
    const QImage mono = picture.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
    const bool blackIsOne = mono.isNull() || qGray(mono.color(1)) < qGray(mono.color(0));
    const int width = mono.width();
    const int rowBytes = (width + 7) / 8;
    const int rows = rowBytes > 0 ? mono.height() : 0;
    const int tailBits = width % 8;
    const uchar tailMask = tailBits ? uchar(0xff << (8 - tailBits)) : uchar(0xff);

    // Every row as the printer takes it: 1 for a black dot, padding white.
    QByteArray dots(qsizetype(rowBytes) * rows, Qt::Uninitialized);
    QList<bool> blank(rows);
    for (int y = 0; y < rows; ++y) {
        uchar* row = reinterpret_cast<uchar*>(dots.data()) + qsizetype(y) * rowBytes;
        const uchar* line = mono.constScanLine(y);
        uchar any = 0;
        for (int i = 0; i < rowBytes; ++i) {
            row[i] = blackIsOne ? line[i] : uchar(~line[i]);
            if (i == rowBytes - 1)
                row[i] &= tailMask;
            any |= row[i];
        }
        blank[y] = any == 0;
    }

    QByteArray out;
    out.reserve(dots.size() + rows / 8 + 32);
    out.append("\x1b\x40", 2); // ESC @: initialise
    int y = 0;
    while (y < rows) {
        int end = y;
        while (end < rows && blank[end])
            ++end;
        if (end - y >= kFeedFrom || end == rows) {
            appendFeed(out, end - y);
            y = end;
            continue;
        }
        // Dots up to the next long blank run, in blocks of at most kEscPosBandRows rows.
        end = y;
        for (int run = 0; end < rows && run < kFeedFrom; ++end)
            run = blank[end] ? run + 1 : 0;
        while (end > y && blank[end - 1])
            --end;
        for (int top = y; top < end; top += kEscPosBandRows) {
            const int band = qMin(kEscPosBandRows, end - top);
            // A block prints from the left edge: white to the right of its last dot is left out.
            int used = 1;
            for (int row = top; row < top + band; ++row) {
                const char* line = dots.constData() + qsizetype(row) * rowBytes;
                for (int i = rowBytes - 1; i >= used; --i) {
                    if (line[i]) {
                        used = i + 1;
                        break;
                    }
                }
            }
            out.append("\x1d\x76\x30\x00", 4); // GS v 0, normal density
            appendWord(out, used);
            appendWord(out, band);
            for (int row = top; row < top + band; ++row)
                out.append(dots.constData() + qsizetype(row) * rowBytes, used);
        }
        y = end;
    }
    appendFeed(out, kEscPosFeedRows);
    if (options.cut)
        out.append("\x1d\x56\x01", 3); // GS V 1: partial cut
    if (options.openDrawer)
        out.append("\x1b\x70\x00\x19\xfa", 5); // ESC p: pin 2, 50 ms on, 500 ms off
    return out;
}

} // namespace quorrel
