#pragma once

#include <QByteArray>
#include <QString>

namespace quorrel {

// A drawing surface for the receipt in tenths of a millimetre, origin at the top-left corner of the
// printable area, y downwards. Lines are dotted hairlines, text is black on a transparent
// background with its top-left corner at the given point, never wrapped or clipped: its glyphs lie
// between that point's y and y + fontHeight(), whatever face the system draws it with, so that
// the gaps the layout leaves above and below a text stay clear.
class Printer
{
public:
    virtual ~Printer() = default;

    // Runs on the thread of the windows before a document is laid out, maybe on another thread:
    // whatever needs the user (choosing a printer where the system has none) happens here. False
    // when no document can be printed (the user cancelled).
    virtual bool prepareDocument() { return true; }
    // Begins a job (one copy, first page begun); false when no job could be started, after which
    // the drawing operations do nothing until the next StartDocument.
    virtual bool startDocument() = 0;
    // Added to the x of every later drawing operation; kept from one document to the next.
    virtual void setLeftMargin(int margin) = 0;
    virtual void setFont(const QString& face, int points, bool bold) = 0;
    // How far the text advances in the current font, in tenths of a millimetre.
    virtual int textWidth(const QString& text) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    // Decodes the stored image bytes and draws them stretched into the rectangle (the receipt gives
    // a rectangle of the picture's own proportions); bytes that are no image draw nothing.
    virtual void drawPicture(const QByteArray& image, int x, int y, int width, int height) = 0;
    virtual void writeAt(int x, int y, const QString& text) = 0;
    virtual void setWritePosition(int x, int y) = 0;
    // Writes the text line by line from the write position (split at CR LF, CR or LF); a line that
    // would pass the bottom of the page begins a new page, where there are pages.
    virtual void writeLines(const QString& text) = 0;
    // Ends the page and the job; false when the job could not be finished.
    virtual bool endDocument() = 0;

    // After a document that was not printed because the printer said it cannot print now (paper
    // out, cover open, off-line): what it said, in the cashier's words; nothing of it was sent.
    // Empty otherwise.
    virtual QString notReady() const { return QString(); }
    // May be called from another thread while a document is under way: it stops as soon as it can,
    // and is not printed.
    virtual void cancel() {}
};

// Font height in tenths of a millimetre for a size in points, as the receipt measures it
// (12 pt → 42, 9 pt → 31).
inline int fontHeight(int points)
{
    return static_cast<int>(points * 3.5250987);
}

} // namespace quorrel
