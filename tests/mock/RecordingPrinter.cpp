#include "mock/RecordingPrinter.h"

#include "core/store/Gbk.h"

namespace quorrel {

bool RecordingPrinter::startDocument()
{
    m_operations.append(Operation(Kind::StartDocument));
    return true;
}

void RecordingPrinter::setLeftMargin(int margin)
{
    Operation op(Kind::SetLeftMargin);
    op.x1 = margin;
    m_operations.append(op);
}

void RecordingPrinter::setFont(const QString& face, int points, bool bold)
{
    Operation op(Kind::SetFont);
    op.text = face;
    op.points = points;
    op.bold = bold;
    m_operations.append(op);
    m_points = points;
}

int RecordingPrinter::textWidth(const QString& text)
{
    return int(gbkLength(text)) * fontHeight(m_points) / 2;
}

void RecordingPrinter::drawLine(int x1, int y1, int x2, int y2)
{
    m_operations.append(Operation(Kind::DrawLine, x1, y1, x2, y2));
}

void RecordingPrinter::drawPicture(const QByteArray& image, int x, int y, int width, int height)
{
    Operation op(Kind::DrawPicture, x, y, width, height);
    op.bytes = image;
    m_operations.append(op);
}

void RecordingPrinter::writeAt(int x, int y, const QString& text)
{
    Operation op(Kind::WriteAt, x, y);
    op.text = text;
    m_operations.append(op);
}

void RecordingPrinter::setWritePosition(int x, int y)
{
    m_operations.append(Operation(Kind::SetWritePosition, x, y));
}

void RecordingPrinter::writeLines(const QString& text)
{
    Operation op(Kind::WriteLines);
    op.text = text;
    m_operations.append(op);
}

bool RecordingPrinter::endDocument()
{
    m_operations.append(Operation(Kind::EndDocument));
    return true;
}

QList<RecordingPrinter::Operation> RecordingPrinter::ofKind(Kind kind) const
{
    QList<Operation> found;
    for (const Operation& op : m_operations)
        if (op.kind == kind)
            found.append(op);
    return found;
}

const RecordingPrinter::Operation* RecordingPrinter::written(const QString& text) const
{
    for (const Operation& op : m_operations)
        if (op.kind == Kind::WriteAt && op.text == text)
            return &op;
    return nullptr;
}

int RecordingPrinter::documents() const
{
    return static_cast<int>(ofKind(Kind::StartDocument).size());
}

} // namespace quorrel
