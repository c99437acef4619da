#include "gui/receipt/BoardWidget.h"

#include <QPaintEvent>
#include <QPainter>

namespace quorrel {

BoardWidget::BoardWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

BoardWidget::~BoardWidget() = default;

ImagePrinter& BoardWidget::BeginDrawing()
{
    m_board = std::make_unique<ImagePrinter>(size(), logicalDpiY());
    m_board->ClearBoard();
    m_board->StartDocument();
    return *m_board;
}

void BoardWidget::EndDrawing()
{
    if (m_board)
        m_board->EndDocument();
    update();
}

const QImage& BoardWidget::Picture() const
{
    static const QImage none;
    return m_board ? m_board->Image() : none;
}

void BoardWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (m_board)
        painter.drawImage(QPoint(0, 0), m_board->Image());
}

} // namespace quorrel
