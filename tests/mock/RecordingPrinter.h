#pragma once

#include "core/receipt/Printer.h"

#include <QList>

namespace quorrel {

// Remembers every operation in order, for tests of the receipt layout.
class RecordingPrinter : public Printer
{
public:
    enum class Kind
    {
        StartDocument,
        SetLeftMargin,
        SetFont,
        DrawLine,
        DrawPicture,
        WriteAt,
        SetWritePosition,
        WriteLines,
        EndDocument
    };
    struct Operation
    {
        Operation(Kind k, int ax1 = 0, int ay1 = 0, int ax2 = 0, int ay2 = 0)
            : kind(k), x1(ax1), y1(ay1), x2(ax2), y2(ay2)
        {}
        Kind kind;
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0; // DrawLine; x1/y1 also for positions; x2/y2 picture size
        QString text;                       // WriteAt, WriteLines, setFont (face)
        int points = 0;
        bool bold = false;
        QByteArray bytes; // DrawPicture
    };

    bool startDocument() override;
    void setLeftMargin(int margin) override;
    void setFont(const QString& face, int points, bool bold) override;
    // Half the font height for every GBK byte: a Chinese character is as wide as it is high.
    int textWidth(const QString& text) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawPicture(const QByteArray& image, int x, int y, int width, int height) override;
    void writeAt(int x, int y, const QString& text) override;
    void setWritePosition(int x, int y) override;
    void writeLines(const QString& text) override;
    bool endDocument() override;

    const QList<Operation>& operations() const { return m_operations; }
    QList<Operation> ofKind(Kind kind) const;
    // The WriteAt whose text is exactly `text`; nullptr when there is none.
    const Operation* written(const QString& text) const;
    int documents() const;
    void clear() { m_operations.clear(); }

private:
    QList<Operation> m_operations;
    int m_points = 0;
};

} // namespace quorrel
