#include "gui/receipt/BoardWidget.h"

#include <QPaintEvent>
#include <QPainter>

namespace quorrel {

BoardWidget::BoardWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

BoardWidget::~BoardWidget() = default;

ImagePrinter& BoardWidget::beginDrawing()
{
    m_board = std::make_unique<ImagePrinter>(size(), logicalDpiY());
    m_board->clearBoard();
    m_board->startDocument();
    return *m_board;
}

void BoardWidget::endDrawing()
{
    if (m_board)
        m_board->endDocument();
    update();
}

const QImage& BoardWidget::picture() const
{
    static const QImage none;
    return m_board ? m_board->image() : none;
}

void BoardWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (m_board)
        painter.drawImage(QPoint(0, 0), m_board->image());
}

} // namespace quorrel
