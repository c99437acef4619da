#pragma once

#include "core/receipt/PainterPrinter.h"

#include <QWidget>

#include <memory>

namespace quorrel {

// A drawing board: the receipt drawn through the same operations as on paper, at the screen's
// resolution, on a white background. What falls below the board is not shown.
class BoardWidget : public QWidget
{
    Q_OBJECT
public:
    explicit BoardWidget(QWidget* parent = nullptr);
    ~BoardWidget() override;

    // A fresh white board of the widget's size; draw on it, then endDrawing().
    ImagePrinter& beginDrawing();
    void endDrawing();

    const QImage& picture() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<ImagePrinter> m_board;
};

} // namespace quorrel

using quorrel::BoardWidget;
