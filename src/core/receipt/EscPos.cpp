#include "core/receipt/EscPos.h"

namespace quorrel {

namespace {

void appendWord(QByteArray& out, int value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

} // namespace

QByteArray encodeEscPos(const QImage& picture, const EscPosOptions& options)
{
    // Format_Mono keeps 1 for white in its default colour table; the picture is thresholded first so
    // that every dot is plainly black or white, and the bits are inverted below where needed.
    QImage mono = picture.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
    const bool blackIsOne = mono.isNull() || qGray(mono.color(1)) < qGray(mono.color(0));
    const int width = mono.width();
    const int rowBytes = (width + 7) / 8;
    const int rows = mono.height();
    const int tailBits = width % 8;
    const uchar tailMask = tailBits ? uchar(0xff << (8 - tailBits)) : uchar(0xff);

    QByteArray out;
    out.reserve(2 + (rows / kEscPosBandRows + 1) * 8 + rowBytes * rows + 16);
    out.append("\x1b\x40", 2); // ESC @: initialise
    for (int top = 0; rowBytes > 0 && top < rows; top += kEscPosBandRows) {
        const int band = qMin(kEscPosBandRows, rows - top);
        out.append("\x1d\x76\x30\x00", 4); // GS v 0, normal density
        appendWord(out, rowBytes);
        appendWord(out, band);
        for (int y = top; y < top + band; ++y) {
            const uchar* line = mono.constScanLine(y);
            const qsizetype start = out.size();
            out.append(reinterpret_cast<const char*>(line), rowBytes);
            char* bytes = out.data() + start;
            if (!blackIsOne) {
                for (int i = 0; i < rowBytes; ++i)
                    bytes[i] = char(~uchar(bytes[i]));
            }
            bytes[rowBytes - 1] = char(uchar(bytes[rowBytes - 1]) & tailMask); // padding is white
        }
    }
    out.append("\x1b\x4a", 2); // ESC J n: feed n dot rows
    out.append(char(kEscPosFeedRows));
    if (options.cut)
        out.append("\x1d\x56\x01", 3); // GS V 1: partial cut
    if (options.openDrawer)
        out.append("\x1b\x70\x00\x19\xfa", 5); // ESC p: pin 2, 50 ms on, 500 ms off
    return out;
}

} // namespace quorrel
