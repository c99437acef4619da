#pragma once

#include <QByteArray>
#include <QImage>

namespace quorrel {

// The kinds of picture a stored logo may be, told apart by its first bytes only.
enum class LogoFormat
{
    None,
    Bmp,
    Jpeg,
    Png,
    Gif,
    Icon,
    Cursor,
    Pcx
};

// Looks at the first 8 bytes; shorter data is no picture. Signatures: 42 4D (bitmap), FF D8 (JPEG),
// 89 50 4E 47 (PNG), "GIF87a"/"GIF89a", 00 00 01 00 or 00 00 02 00 followed by a non-zero image
// count (icon, cursor), and PCX as either 0A, version 0..5, 01 (RLE), 08 (bits per pixel) or
// 0A 03 01 01. Anything else is None: such bytes may be stored, but they never show a picture.
LogoFormat recogniseLogo(const QByteArray& bytes);

// The picture the bytes hold; a null image when they are of no known kind or cannot be decoded.
QImage decodeLogo(const QByteArray& bytes);

// Decodes a run-length encoded PCX file: 8 bits in one plane with the 256-colour palette at the end,
// 8 bits in three planes (true colour), 1 bit in one plane (black and white) and 1 bit in four
// planes (16 colours from the header, or the default EGA colours for version 3 files, which carry
// none). Every size is checked against the data: damaged or hostile bytes give a null image.
QImage decodePcx(const QByteArray& bytes);

} // namespace quorrel
