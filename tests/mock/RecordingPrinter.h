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
        QString text;                       // WriteAt, WriteLines, SetFont (face)
        int points = 0;
        bool bold = false;
        QByteArray bytes; // DrawPicture
    };

    bool StartDocument() override;
    void SetLeftMargin(int margin) override;
    void SetFont(const QString& face, int points, bool bold) override;
    void DrawLine(int x1, int y1, int x2, int y2) override;
    void DrawPicture(const QByteArray& image, int x, int y, int width, int height) override;
    void WriteAt(int x, int y, const QString& text) override;
    void SetWritePosition(int x, int y) override;
    void WriteLines(const QString& text) override;
    bool EndDocument() override;

    const QList<Operation>& Operations() const { return m_operations; }
    QList<Operation> OfKind(Kind kind) const;
    // The WriteAt whose text is exactly `text`; nullptr when there is none.
    const Operation* Written(const QString& text) const;
    int Documents() const;
    void Clear() { m_operations.clear(); }

private:
    QList<Operation> m_operations;
};

} // namespace quorrel
