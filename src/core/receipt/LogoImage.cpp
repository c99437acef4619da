#include "core/receipt/LogoImage.h"

#include <QList>

#include <cstring>
#include <vector>

namespace quorrel {

namespace {

uchar byteAt(const QByteArray& bytes, qsizetype index)
{
    return static_cast<uchar>(bytes.at(index));
}

int wordAt(const QByteArray& bytes, qsizetype index)
{
    return byteAt(bytes, index) | (byteAt(bytes, index + 1) << 8);
}

constexpr qsizetype kPcxHeaderSize = 128;
constexpr qsizetype kPcxPaletteSize = 1 + 256 * 3; // the marker 0C, then 256 RGB triples
constexpr uchar kPcxPaletteMarker = 0x0C;
// The same ceiling Qt's own image readers keep by default (256 MB of 32-bit pixels): a header may
// claim any size, a logo never needs more.
constexpr qint64 kMaxPcxPixels = qint64(64) * 1024 * 1024;
// One RLE pair (two bytes) gives at most 63 bytes: data that cannot fill the claimed lines is
// refused before anything is allocated for them.
constexpr qint64 kMaxPcxExpansion = 32;

// The colours of version 3 files, which carry no palette of their own.
const QList<QRgb>& egaColours()
{
    static const QList<QRgb> colours{
        qRgb(0x00, 0x00, 0x00), qRgb(0x00, 0x00, 0xAA), qRgb(0x00, 0xAA, 0x00), qRgb(0x00, 0xAA, 0xAA),
        qRgb(0xAA, 0x00, 0x00), qRgb(0xAA, 0x00, 0xAA), qRgb(0xAA, 0x55, 0x00), qRgb(0xAA, 0xAA, 0xAA),
        qRgb(0x55, 0x55, 0x55), qRgb(0x55, 0x55, 0xFF), qRgb(0x55, 0xFF, 0x55), qRgb(0x55, 0xFF, 0xFF),
        qRgb(0xFF, 0x55, 0x55), qRgb(0xFF, 0x55, 0xFF), qRgb(0xFF, 0xFF, 0x55), qRgb(0xFF, 0xFF, 0xFF),
    };
    return colours;
}

QList<QRgb> coloursAt(const QByteArray& bytes, qsizetype offset, int count)
{
    QList<QRgb> colours;
    colours.reserve(count);
    for (int i = 0; i < count; ++i) {
        const qsizetype at = offset + qsizetype(i) * 3;
        colours.append(qRgb(byteAt(bytes, at), byteAt(bytes, at + 1), byteAt(bytes, at + 2)));
    }
    return colours;
}

// PCX run-length decoding: a byte with its two top bits set repeats the next byte (its low six
// bits) times; any other byte stands for itself. Runs may go on across scan lines.
class PcxRuns
{
public:
    PcxRuns(const uchar* begin, const uchar* end) : m_pos(begin), m_end(end) {}

    bool fill(std::vector<uchar>& line)
    {
        for (uchar& byte : line) {
            if (!next(byte))
                return false;
        }
        return true;
    }

private:
    bool next(uchar& out)
    {
        while (m_runLeft == 0) {
            if (m_pos == m_end)
                return false;
            const uchar byte = *m_pos++;
            if ((byte & 0xC0) != 0xC0) {
                out = byte;
                return true;
            }
            if (m_pos == m_end)
                return false;
            m_runLeft = byte & 0x3F; // a run of 0 is skipped
            m_runValue = *m_pos++;
        }
        --m_runLeft;
        out = m_runValue;
        return true;
    }

    const uchar* m_pos;
    const uchar* m_end;
    int m_runLeft = 0;
    uchar m_runValue = 0;
};

enum class PcxKind
{
    Mono,
    Planes16,
    Paletted256,
    TrueColour
};

} // namespace

LogoFormat recogniseLogo(const QByteArray& bytes)
{
    if (bytes.size() < 8)
        return LogoFormat::None;
    const auto b = [&bytes](qsizetype i) { return byteAt(bytes, i); };
    if (b(0) == 0x42 && b(1) == 0x4D)
        return LogoFormat::Bmp;
    if (b(0) == 0xFF && b(1) == 0xD8)
        return LogoFormat::Jpeg;
    if (b(0) == 0x89 && b(1) == 0x50 && b(2) == 0x4E && b(3) == 0x47)
        return LogoFormat::Png;
    if (b(0) == 0x47 && b(1) == 0x49 && b(2) == 0x46 && b(3) == 0x38 && (b(4) == 0x37 || b(4) == 0x39) && b(5) == 0x61)
        return LogoFormat::Gif;
    const int imageCount = wordAt(bytes, 4);
    if (b(0) == 0x00 && b(1) == 0x00 && b(3) == 0x00 && imageCount != 0) {
        if (b(2) == 0x01)
            return LogoFormat::Icon;
        if (b(2) == 0x02)
            return LogoFormat::Cursor;
    }
    if (b(0) == 0x0A && b(2) == 0x01 && ((b(1) <= 5 && b(3) == 8) || (b(1) == 3 && b(3) == 1)))
        return LogoFormat::Pcx;
    return LogoFormat::None;
}

QImage decodeLogo(const QByteArray& bytes)
{
    const char* format = nullptr;
    switch (recogniseLogo(bytes)) {
    case LogoFormat::None:
        return QImage();
    case LogoFormat::Pcx:
        return decodePcx(bytes);
    case LogoFormat::Bmp:
        format = "BMP";
        break;
    case LogoFormat::Jpeg:
        format = "JPEG";
        break;
    case LogoFormat::Png:
        format = "PNG";
        break;
    case LogoFormat::Gif:
        format = "GIF";
        break;
    case LogoFormat::Icon:
        format = "ICO";
        break;
    case LogoFormat::Cursor:
        format = "CUR";
        break;
    }
    return QImage::fromData(bytes, format);
}

QImage decodePcx(const QByteArray& bytes)
{
    if (bytes.size() < kPcxHeaderSize || byteAt(bytes, 0) != 0x0A || byteAt(bytes, 2) != 1)
        return QImage();
    const int version = byteAt(bytes, 1);
    const int bitsPerPixel = byteAt(bytes, 3);
    const int xMin = wordAt(bytes, 4);
    const int yMin = wordAt(bytes, 6);
    const int xMax = wordAt(bytes, 8);
    const int yMax = wordAt(bytes, 10);
    const int planes = byteAt(bytes, 65);
    const int bytesPerLine = wordAt(bytes, 66);
    if (xMax < xMin || yMax < yMin)
        return QImage();
    const int width = xMax - xMin + 1;
    const int height = yMax - yMin + 1;

    PcxKind kind;
    if (bitsPerPixel == 1 && planes == 1)
        kind = PcxKind::Mono;
    else if (bitsPerPixel == 1 && planes == 4)
        kind = PcxKind::Planes16;
    else if (bitsPerPixel == 8 && planes == 1)
        kind = PcxKind::Paletted256;
    else if (bitsPerPixel == 8 && planes == 3)
        kind = PcxKind::TrueColour;
    else
        return QImage();
    if (qint64(bytesPerLine) * 8 < qint64(width) * bitsPerPixel)
        return QImage();
    if (qint64(width) * height > kMaxPcxPixels)
        return QImage();

    qsizetype dataEnd = bytes.size();
    QList<QRgb> colours;
    switch (kind) {
    case PcxKind::Mono:
        colours = {qRgb(0, 0, 0), qRgb(0xFF, 0xFF, 0xFF)};
        break;
    case PcxKind::Planes16:
        colours = version == 3 ? egaColours() : coloursAt(bytes, 16, 16);
        break;
    case PcxKind::Paletted256:
        if (bytes.size() < kPcxHeaderSize + kPcxPaletteSize ||
            byteAt(bytes, bytes.size() - kPcxPaletteSize) != kPcxPaletteMarker)
            return QImage();
        dataEnd -= kPcxPaletteSize;
        colours = coloursAt(bytes, dataEnd + 1, 256);
        break;
    case PcxKind::TrueColour:
        break;
    }

    const qint64 lineLength = qint64(bytesPerLine) * planes;
    if (lineLength * height > qint64(dataEnd - kPcxHeaderSize) * kMaxPcxExpansion)
        return QImage();

    QImage image(width, height, kind == PcxKind::TrueColour ? QImage::Format_RGB32 : QImage::Format_Indexed8);
    if (image.isNull())
        return QImage();
    if (kind != PcxKind::TrueColour)
        image.setColorTable(colours);

    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    PcxRuns runs(data + kPcxHeaderSize, data + dataEnd);
    std::vector<uchar> line(static_cast<size_t>(lineLength));
    for (int y = 0; y < height; ++y) {
        if (!runs.fill(line))
            return QImage();
        uchar* out = image.scanLine(y);
        switch (kind) {
        case PcxKind::Paletted256:
            std::memcpy(out, line.data(), static_cast<size_t>(width));
            break;
        case PcxKind::TrueColour: {
            auto* pixels = reinterpret_cast<QRgb*>(out);
            const uchar* red = line.data();
            const uchar* green = red + bytesPerLine;
            const uchar* blue = green + bytesPerLine;
            for (int x = 0; x < width; ++x)
                pixels[x] = qRgb(red[x], green[x], blue[x]);
            break;
        }
        case PcxKind::Mono:
        case PcxKind::Planes16:
            for (int x = 0; x < width; ++x) {
                uchar index = 0;
                for (int p = 0; p < planes; ++p) {
                    const uchar byte = line[static_cast<size_t>(p) * bytesPerLine + x / 8];
                    index |= static_cast<uchar>(((byte >> (7 - x % 8)) & 1) << p);
                }
                out[x] = index;
            }
            break;
        }
    }
    return image;
}

} // namespace quorrel
