#pragma once

#include <QByteArray>
#include <QImage>

// ESC/POS, the command language of receipt printers, for a receipt sent as one picture: the printer
// needs no font of its own, so Chinese, the logo and the layout come out as drawn.

namespace quorrel {

struct EscPosOptions
{
    bool cut = false;        // partial cut after the receipt
    bool openDrawer = false; // pulse the cash drawer after the receipt
};

// Rows per raster block: small printer buffers keep up with blocks of this size.
inline constexpr int kEscPosBandRows = 255;
// Dot rows fed after the picture, so that its end clears the tear bar or cutter.
inline constexpr int kEscPosFeedRows = 120;

// The stream for one receipt: ESC @, the picture as GS v 0 blocks of at most kEscPosBandRows rows
// (a run of blank rows is fed with ESC J instead, and a block ends with its rightmost dot: printed
// the same, with a fraction of the bytes), a feed, GS V partial cut and ESC p drawer pulse as asked. `picture` is taken
// as black dots where its pixels are dark; a row is padded with white to whole bytes.
QByteArray encodeEscPos(const QImage& picture, const EscPosOptions& options);

} // namespace quorrel
