// Telling logo files apart by their first bytes and decoding them, PCX through our own decoder.

#include "core/receipt/LogoImage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QList>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <vector>

namespace quorrel::test {
namespace {

// The given leading bytes, padded with zeros to the 8 bytes that are examined.
QByteArray prefix(std::initializer_list<int> leading, int size = 8)
{
    QByteArray bytes;
    for (int b : leading)
        bytes.append(static_cast<char>(b));
    while (bytes.size() < size)
        bytes.append('\0');
    return bytes;
}

QByteArray saved(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

// 37 × 23, red on the left, blue on the right, a green band at the bottom.
QImage sample()
{
    QImage image(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, y >= 18 ? qRgb(0, 200, 0) : x < 18 ? qRgb(220, 0, 0) : qRgb(0, 0, 220));
    }
    return image;
}

void expectNear(QRgb actual, QRgb expected, int tolerance, const char* what)
{
    EXPECT_NEAR(qRed(actual), qRed(expected), tolerance) << what;
    EXPECT_NEAR(qGreen(actual), qGreen(expected), tolerance) << what;
    EXPECT_NEAR(qBlue(actual), qBlue(expected), tolerance) << what;
}

void appendWord(QByteArray& bytes, int value)
{
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
}

// A GIF whose every code is a literal: a clear code before each pair of pixels keeps the code
// width at 3 bits, so no LZW dictionary is needed to write it.
QByteArray tinyGif(int width, int height, const QList<QRgb>& colours, const std::vector<int>& indices)
{
    QByteArray gif("GIF89a");
    appendWord(gif, width);
    appendWord(gif, height);
    gif.append(static_cast<char>(0x81)); // global table of 4 colours
    gif.append('\0');
    gif.append('\0');
    for (int i = 0; i < 4; ++i) {
        gif.append(static_cast<char>(qRed(colours.value(i))));
        gif.append(static_cast<char>(qGreen(colours.value(i))));
        gif.append(static_cast<char>(qBlue(colours.value(i))));
    }
    gif.append(',');
    appendWord(gif, 0);
    appendWord(gif, 0);
    appendWord(gif, width);
    appendWord(gif, height);
    gif.append('\0');
    gif.append('\x02'); // minimum code size: clear = 4, end = 5

    QByteArray codes;
    int bitBuffer = 0;
    int bitCount = 0;
    const auto put = [&](int code) {
        bitBuffer |= code << bitCount;
        bitCount += 3;
        while (bitCount >= 8) {
            codes.append(static_cast<char>(bitBuffer & 0xFF));
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % 2 == 0)
            put(4);
        put(indices[i]);
    }
    put(5);
    if (bitCount > 0)
        codes.append(static_cast<char>(bitBuffer & 0xFF));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        gif.append(static_cast<char>(block.size()));
        gif.append(block);
    }
    gif.append('\0');
    gif.append(';');
    return gif;
}

// PCX run-length encoding of one scan line at a time, runs of at most 63.
QByteArray pcxRle(const QByteArray& line)
{
    QByteArray out;
    for (qsizetype i = 0; i < line.size();) {
        const char value = line[i];
        qsizetype run = 1;
        while (i + run < line.size() && line[i + run] == value && run < 63)
            ++run;
        if (run > 1 || (static_cast<uchar>(value) & 0xC0) == 0xC0)
            out.append(static_cast<char>(0xC0 | run));
        out.append(value);
        i += run;
    }
    return out;
}

QByteArray pcxHeader(int version, int bitsPerPixel, int planes, int width, int height, int bytesPerLine,
                     const QList<QRgb>& headerColours = {})
{
    QByteArray header(128, '\0');
    header[0] = '\x0A';
    header[1] = static_cast<char>(version);
    header[2] = '\x01';
    header[3] = static_cast<char>(bitsPerPixel);
    const auto word = [&header](int at, int value) {
        header[at] = static_cast<char>(value & 0xFF);
        header[at + 1] = static_cast<char>((value >> 8) & 0xFF);
    };
    word(4, 0);
    word(6, 0);
    word(8, width - 1);
    word(10, height - 1);
    word(12, 72);
    word(14, 72);
    for (int i = 0; i < headerColours.size() && i < 16; ++i) {
        header[16 + i * 3] = static_cast<char>(qRed(headerColours[i]));
        header[17 + i * 3] = static_cast<char>(qGreen(headerColours[i]));
        header[18 + i * 3] = static_cast<char>(qBlue(headerColours[i]));
    }
    header[65] = static_cast<char>(planes);
    word(66, bytesPerLine);
    word(68, 1);
    return header;
}

// Header, each scan line (all its planes) encoded on its own, and the trailing palette if given.
QByteArray pcx(const QByteArray& header, const QList<QByteArray>& scanLines, const QList<QRgb>& endPalette = {})
{
    QByteArray file = header;
    for (const QByteArray& line : scanLines)
        file.append(pcxRle(line));
    if (!endPalette.isEmpty()) {
        file.append('\x0C');
        for (int i = 0; i < 256; ++i) {
            const QRgb c = endPalette.value(i);
            file.append(static_cast<char>(qRed(c)));
            file.append(static_cast<char>(qGreen(c)));
            file.append(static_cast<char>(qBlue(c)));
        }
    }
    return file;
}

QList<QRgb> palette256()
{
    QList<QRgb> colours;
    for (int i = 0; i < 256; ++i)
        colours.append(qRgb(i, 255 - i, (i * 7) % 256));
    return colours;
}

// Bits of one plane, most significant first, padded to `bytes`.
QByteArray planeBits(const std::vector<int>& indices, int plane, int bytes)
{
    QByteArray out(bytes, '\0');
    for (size_t x = 0; x < indices.size(); ++x) {
        if ((indices[x] >> plane) & 1)
            out[static_cast<qsizetype>(x / 8)] =
                static_cast<char>(out[static_cast<qsizetype>(x / 8)] | (0x80 >> (x % 8)));
    }
    return out;
}

// A 24-bit, 5 × 3 PCX with 6 bytes per plane line (padding included).
QByteArray trueColourPcx()
{
    QList<QByteArray> lines;
    for (int y = 0; y < 3; ++y) {
        QByteArray red(6, '\0'), green(6, '\0'), blue(6, '\0');
        for (int x = 0; x < 5; ++x) {
            red[x] = static_cast<char>(x * 50);
            green[x] = static_cast<char>(y * 100);
            blue[x] = static_cast<char>(x < 3 ? 0xC7 : 0x10); // 0xC7 must be written as a run of 1
        }
        lines << red + green + blue;
    }
    return pcx(pcxHeader(5, 8, 3, 5, 3, 6), lines);
}

TEST(LogoImageTest, EachSignatureIsRecognisedByItsFirstBytes)
{
    EXPECT_EQ(recogniseLogo(prefix({0x42, 0x4D})), LogoFormat::Bmp);
    EXPECT_EQ(recogniseLogo(prefix({0xFF, 0xD8, 0xFF, 0xE0})), LogoFormat::Jpeg);
    EXPECT_EQ(recogniseLogo(prefix({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A})), LogoFormat::Png);
    EXPECT_EQ(recogniseLogo(prefix({0x47, 0x49, 0x46, 0x38, 0x37, 0x61})), LogoFormat::Gif);
    EXPECT_EQ(recogniseLogo(prefix({0x47, 0x49, 0x46, 0x38, 0x39, 0x61})), LogoFormat::Gif);
    EXPECT_EQ(recogniseLogo(prefix({0x00, 0x00, 0x01, 0x00, 0x01, 0x00})), LogoFormat::Icon);
    EXPECT_EQ(recogniseLogo(prefix({0x00, 0x00, 0x01, 0x00, 0x00, 0x01})), LogoFormat::Icon) << "count 256";
    EXPECT_EQ(recogniseLogo(prefix({0x00, 0x00, 0x02, 0x00, 0x03, 0x00})), LogoFormat::Cursor);
    for (int version = 0; version <= 5; ++version)
        EXPECT_EQ(recogniseLogo(prefix({0x0A, version, 0x01, 0x08})), LogoFormat::Pcx) << "version " << version;
    EXPECT_EQ(recogniseLogo(prefix({0x0A, 0x03, 0x01, 0x01})), LogoFormat::Pcx);
    EXPECT_EQ(recogniseLogo(prefix({0x42, 0x4D}, 4096)), LogoFormat::Bmp) << "only the start counts";
}

TEST(LogoImageTest, ShortDataAndNearMissesAreNoPicture)
{
    EXPECT_EQ(recogniseLogo(QByteArray()), LogoFormat::None);
    EXPECT_EQ(recogniseLogo(prefix({0x42, 0x4D}, 7)), LogoFormat::None) << "7 bytes are too few";
    EXPECT_EQ(recogniseLogo(prefix({0x89, 0x50, 0x4E, 0x47}, 4)), LogoFormat::None);
    EXPECT_EQ(recogniseLogo(prefix({0x47, 0x49, 0x46, 0x38, 0x38, 0x61})), LogoFormat::None) << "GIF88a";
    EXPECT_EQ(recogniseLogo(prefix({0x47, 0x49, 0x46, 0x38, 0x39, 0x62})), LogoFormat::None) << "GIF89b";
    EXPECT_EQ(recogniseLogo(prefix({0x47, 0x49, 0x46, 0x38})), LogoFormat::None) << "GIF8 then zeros";
    EXPECT_EQ(recogniseLogo(prefix({0x89, 0x50, 0x4E, 0x48})), LogoFormat::None);
    EXPECT_EQ(recogniseLogo(prefix({0x42, 0x4E})), LogoFormat::None);
    EXPECT_EQ(recogniseLogo(prefix({0xFF, 0xD9})), LogoFormat::None);
    EXPECT_EQ(recogniseLogo(prefix({0x00, 0x00, 0x01, 0x00, 0x00, 0x00})), LogoFormat::None) << "icon, no images";
    EXPECT_EQ(recogniseLogo(prefix({0x00, 0x00, 0x02, 0x00, 0x00, 0x00})), LogoFormat::None) << "cursor, no images";
    EXPECT_EQ(recogniseLogo(prefix({0x00, 0x00, 0x03, 0x00, 0x01, 0x00})), LogoFormat::None);
    EXPECT_EQ(recogniseLogo(prefix({0x00, 0x01, 0x01, 0x00, 0x01, 0x00})), LogoFormat::None);
    EXPECT_EQ(recogniseLogo(prefix({0x0A, 0x06, 0x01, 0x08})), LogoFormat::None) << "PCX version 6";
    EXPECT_EQ(recogniseLogo(prefix({0x0A, 0x05, 0x00, 0x08})), LogoFormat::None) << "PCX without RLE";
    EXPECT_EQ(recogniseLogo(prefix({0x0A, 0x05, 0x01, 0x04})), LogoFormat::None) << "4 bits, version 5";
    EXPECT_EQ(recogniseLogo(prefix({0x0A, 0x05, 0x01, 0x01})), LogoFormat::None) << "1 bit needs version 3";
    EXPECT_EQ(recogniseLogo(prefix({0x0A, 0x02, 0x01, 0x01})), LogoFormat::None);
    EXPECT_EQ(recogniseLogo(QByteArray("hello, this is plain text\n")), LogoFormat::None);
    EXPECT_TRUE(decodeLogo(QByteArray("hello, this is plain text\n")).isNull());
    EXPECT_TRUE(decodeLogo(QByteArray()).isNull());
}

TEST(LogoImageTest, QtReadersForEveryLogoKindAreInstalled)
{
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const char* format : {"bmp", "png", "jpeg", "gif", "ico", "cur"})
        EXPECT_TRUE(formats.contains(format)) << format << " reader plugin missing";
}

TEST(LogoImageTest, PicturesSavedByQtDecodeToTheirSizeAndColours)
{
    const QImage picture = sample();
    struct Case
    {
        const char* format;
        LogoFormat kind;
        int tolerance;
    };
    for (const Case& c : {Case{"BMP", LogoFormat::Bmp, 0}, Case{"PNG", LogoFormat::Png, 0},
                          Case{"JPEG", LogoFormat::Jpeg, 40}, Case{"ICO", LogoFormat::Icon, 0}}) {
        const QByteArray bytes = saved(picture, c.format);
        EXPECT_EQ(recogniseLogo(bytes), c.kind) << c.format;
        const QImage decoded = decodeLogo(bytes);
        ASSERT_FALSE(decoded.isNull()) << c.format;
        EXPECT_EQ(decoded.size(), QSize(37, 23)) << c.format;
        expectNear(decoded.pixel(4, 4), qRgb(220, 0, 0), c.tolerance, c.format);
        expectNear(decoded.pixel(32, 4), qRgb(0, 0, 220), c.tolerance, c.format);
        expectNear(decoded.pixel(18, 21), qRgb(0, 200, 0), c.tolerance, c.format);
    }

    // A cursor is an icon file with type 2 and the hot spot in place of planes and bit count.
    QByteArray cursor = saved(picture, "ICO");
    cursor[2] = '\x02';
    EXPECT_EQ(recogniseLogo(cursor), LogoFormat::Cursor);
    EXPECT_EQ(decodeLogo(cursor).size(), QSize(37, 23));
}

TEST(LogoImageTest, GifDecodesToItsPixels)
{
    const QList<QRgb> colours{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    const std::vector<int> indices{0, 1, 2, 3, 3, 2, 1, 0};
    const QByteArray gif = tinyGif(4, 2, colours, indices);
    EXPECT_EQ(recogniseLogo(gif), LogoFormat::Gif);
    const QImage decoded = decodeLogo(gif);
    ASSERT_EQ(decoded.size(), QSize(4, 2));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(decoded.pixel(i % 4, i / 4), colours[indices[static_cast<size_t>(i)]]) << "pixel " << i;

    QByteArray gif87 = gif;
    gif87[4] = '7';
    EXPECT_EQ(decodeLogo(gif87).size(), QSize(4, 2));
}

TEST(LogoImageTest, BytesWithASignatureButNoPictureDecodeToNothing)
{
    EXPECT_TRUE(decodeLogo(prefix({0x42, 0x4D}, 64)).isNull());
    EXPECT_TRUE(decodeLogo(prefix({0xFF, 0xD8, 0xFF}, 64)).isNull());
    EXPECT_TRUE(decodeLogo(prefix({0x89, 0x50, 0x4E, 0x47}, 64)).isNull());
    EXPECT_TRUE(decodeLogo(prefix({0x47, 0x49, 0x46, 0x38, 0x39, 0x61}, 12)).isNull());
    EXPECT_TRUE(decodeLogo(prefix({0x00, 0x00, 0x01, 0x00, 0x01, 0x00}, 64)).isNull());
    const QByteArray png = saved(sample(), "PNG");
    EXPECT_TRUE(decodeLogo(png.left(png.size() / 3)).isNull()) << "a third of a PNG";
}

// 4 × 2, 8 bits, written byte by byte: line 0 is a run of three 1s and a 2, line 1 is a 3, the
// value C5 (which must be a run of one), and a run of two 4s.
QByteArray handMadePcx()
{
    QByteArray file = pcxHeader(5, 8, 1, 4, 2, 4);
    for (int b : {0xC3, 0x01, 0x02, 0x03, 0xC1, 0xC5, 0xC2, 0x04})
        file.append(static_cast<char>(b));
    file.append('\x0C');
    const QList<QRgb> palette = palette256();
    for (QRgb c : palette) {
        file.append(static_cast<char>(qRed(c)));
        file.append(static_cast<char>(qGreen(c)));
        file.append(static_cast<char>(qBlue(c)));
    }
    return file;
}

TEST(LogoImageTest, PalettedPcxDecodesToItsPixels)
{
    const QByteArray file = handMadePcx();
    EXPECT_EQ(recogniseLogo(file), LogoFormat::Pcx);
    const QImage image = decodeLogo(file);
    ASSERT_EQ(image.size(), QSize(4, 2));
    const QList<QRgb> palette = palette256();
    const int expected[2][4] = {{1, 1, 1, 2}, {3, 0xC5, 4, 4}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(image.pixel(x, y), palette[expected[y][x]]) << x << "," << y;
    }

    // A run may go on into the next line, as some writers do.
    QByteArray across = pcxHeader(5, 8, 1, 4, 2, 4);
    across.append('\xC8');
    across.append('\x07');
    across.append(file.right(769));
    const QImage filled = decodePcx(across);
    ASSERT_EQ(filled.size(), QSize(4, 2));
    EXPECT_EQ(filled.pixel(3, 1), palette[7]);

    // The picture's lines may be padded; the padding is not part of the picture.
    QList<QByteArray> padded;
    padded << QByteArray("\x09\x0A\x0B\xEE", 4) << QByteArray("\x0D\x0E\x0F\xEE", 4);
    const QImage narrow = decodeLogo(pcx(pcxHeader(5, 8, 1, 3, 2, 4), padded, palette));
    ASSERT_EQ(narrow.size(), QSize(3, 2));
    EXPECT_EQ(narrow.pixel(2, 0), palette[0x0B]);
    EXPECT_EQ(narrow.pixel(0, 1), palette[0x0D]);
}

TEST(LogoImageTest, TrueColourPcxDecodesToItsPixels)
{
    const QImage image = decodeLogo(trueColourPcx());
    ASSERT_EQ(image.size(), QSize(5, 3));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(image.pixel(x, y), qRgb(x * 50, y * 100, x < 3 ? 0xC7 : 0x10)) << x << "," << y;
    }
}

TEST(LogoImageTest, OneBitPcxDecodesToBlackAndWhite)
{
    // 10 × 2, two bytes a line: line 0 alternates, line 1 is white but for its last pixel.
    const std::vector<int> line0{1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
    const std::vector<int> line1{1, 1, 1, 1, 1, 1, 1, 1, 1, 0};
    const QByteArray file = pcx(pcxHeader(3, 1, 1, 10, 2, 2), {planeBits(line0, 0, 2), planeBits(line1, 0, 2)});
    EXPECT_EQ(recogniseLogo(file), LogoFormat::Pcx);
    const QImage image = decodeLogo(file);
    ASSERT_EQ(image.size(), QSize(10, 2));
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(image.pixel(x, 0), line0[static_cast<size_t>(x)] ? white : black) << x;
        EXPECT_EQ(image.pixel(x, 1), line1[static_cast<size_t>(x)] ? white : black) << x;
    }
}

TEST(LogoImageTest, SixteenColourPcxTakesItsColoursFromTheHeaderOrTheEgaSet)
{
    std::vector<int> indices;
    for (int i = 0; i < 16; ++i)
        indices.push_back(15 - i);
    QByteArray planes;
    for (int p = 0; p < 4; ++p)
        planes += planeBits(indices, p, 2);

    // Version 3 files carry no palette: the default EGA colours apply.
    const QImage ega = decodeLogo(pcx(pcxHeader(3, 1, 4, 16, 1, 2), {planes}));
    ASSERT_EQ(ega.size(), QSize(16, 1));
    EXPECT_EQ(ega.pixel(15, 0), qRgb(0, 0, 0));
    EXPECT_EQ(ega.pixel(14, 0), qRgb(0, 0, 0xAA));
    EXPECT_EQ(ega.pixel(9, 0), qRgb(0xAA, 0x55, 0x00)) << "brown";
    EXPECT_EQ(ega.pixel(0, 0), qRgb(0xFF, 0xFF, 0xFF));

    // Other versions bring their 16 colours in the header.
    QList<QRgb> header;
    for (int i = 0; i < 16; ++i)
        header.append(qRgb(i * 16, 255 - i * 16, i));
    const QImage own = decodePcx(pcx(pcxHeader(2, 1, 4, 16, 1, 2, header), {planes}));
    ASSERT_EQ(own.size(), QSize(16, 1));
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(own.pixel(x, 0), header[indices[static_cast<size_t>(x)]]) << x;
    EXPECT_TRUE(decodeLogo(pcx(pcxHeader(2, 1, 4, 16, 1, 2, header), {planes})).isNull())
        << "0A 02 01 01 is no logo signature";
}

TEST(LogoImageTest, TruncatedPcxGivesNoPicture)
{
    const QByteArray whole[] = {handMadePcx(), trueColourPcx(),
                                pcx(pcxHeader(3, 1, 1, 10, 2, 2), {QByteArray(2, '\x55'), QByteArray(2, '\xAA')})};
    for (const QByteArray& file : whole) {
        ASSERT_FALSE(decodePcx(file).isNull());
        for (qsizetype size = 0; size < file.size(); ++size)
            EXPECT_TRUE(decodePcx(file.left(size)).isNull()) << "cut at " << size << " of " << file.size();
    }
}

TEST(LogoImageTest, HostilePcxHeadersGiveNoPicture)
{
    const QByteArray fewBytes(16, '\x11');
    EXPECT_TRUE(decodePcx(pcxHeader(5, 8, 3, 65536, 65536, 65535) + fewBytes).isNull()) << "claims 64K × 64K";
    EXPECT_TRUE(decodePcx(pcxHeader(5, 8, 1, 65536, 65536, 65535) + fewBytes + handMadePcx().right(769)).isNull());
    EXPECT_TRUE(decodePcx(pcxHeader(5, 1, 4, 65536, 65536, 8192) + fewBytes).isNull());
    EXPECT_TRUE(decodePcx(pcxHeader(5, 8, 3, 4000, 4000, 4000) + fewBytes).isNull()) << "more lines than data";

    QByteArray reversed = trueColourPcx();
    reversed[8] = '\0'; // xMax 0 below xMin 1
    reversed[4] = '\x01';
    EXPECT_TRUE(decodePcx(reversed).isNull()) << "xMax below xMin";

    const QList<QByteArray> line{QByteArray(8, '\x01')};
    EXPECT_TRUE(decodePcx(pcx(pcxHeader(5, 8, 3, 8, 1, 0), line)).isNull()) << "no bytes per line";
    EXPECT_TRUE(decodePcx(pcx(pcxHeader(5, 8, 3, 8, 1, 2), line)).isNull()) << "lines shorter than the width";
    EXPECT_TRUE(decodePcx(pcx(pcxHeader(5, 1, 1, 17, 1, 2), line)).isNull()) << "17 bits in 2 bytes";
    EXPECT_TRUE(decodePcx(pcx(pcxHeader(5, 8, 2, 4, 1, 4), line)).isNull()) << "two planes";
    EXPECT_TRUE(decodePcx(pcx(pcxHeader(5, 8, 255, 4, 1, 4), line)).isNull()) << "255 planes";
    EXPECT_TRUE(decodePcx(pcx(pcxHeader(5, 4, 1, 4, 1, 4), line)).isNull()) << "4 bits per pixel";
    EXPECT_TRUE(decodePcx(pcx(pcxHeader(5, 8, 1, 4, 1, 4), line)).isNull()) << "8 bits without the palette";

    QByteArray danglingRun = pcxHeader(5, 8, 3, 4, 1, 4);
    danglingRun.append('\xFF');
    EXPECT_TRUE(decodePcx(danglingRun).isNull()) << "a run count with no value after it";
    EXPECT_TRUE(decodePcx(pcxHeader(5, 8, 3, 4, 1, 4)).isNull()) << "a header alone";
}

TEST(LogoImageTest, RandomlyDamagedPcxNeverReadsOutOfRange)
{
    const QByteArray originals[] = {handMadePcx(), trueColourPcx(),
                                    pcx(pcxHeader(3, 1, 1, 10, 2, 2), {QByteArray(2, '\x55'), QByteArray(2, '\xAA')}),
                                    pcx(pcxHeader(3, 1, 4, 16, 2, 2), {QByteArray(8, '\x0F'), QByteArray(8, '\xC3')})};
    std::mt19937 random(20160824);
    int decoded = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray file = originals[round % 4];
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int c = 0; c < changes; ++c) {
            // Mostly the header and the first data bytes, where sizes and runs live.
            const qsizetype span = random() % 2 ? std::min<qsizetype>(140, file.size()) : file.size();
            const qsizetype at = static_cast<qsizetype>(random() % static_cast<quint32>(span));
            file[at] = static_cast<char>(random() % 256);
        }
        if (random() % 4 == 0)
            file.truncate(static_cast<qsizetype>(random() % file.size()));
        const QImage image = decodeLogo(file);
        if (image.isNull())
            continue;
        ++decoded;
        // Whatever survives is exactly the size its header claims.
        const int width = (static_cast<uchar>(file[8]) | static_cast<uchar>(file[9]) << 8) -
                          (static_cast<uchar>(file[4]) | static_cast<uchar>(file[5]) << 8) + 1;
        const int height = (static_cast<uchar>(file[10]) | static_cast<uchar>(file[11]) << 8) -
                           (static_cast<uchar>(file[6]) | static_cast<uchar>(file[7]) << 8) + 1;
        EXPECT_EQ(image.size(), QSize(width, height)) << "round " << round;
    }
    EXPECT_GT(decoded, 0) << "some damage (in pixel values) still leaves a picture";
}

} // namespace
} // namespace quorrel::test
