#pragma once

#include "core/receipt/Printer.h"

#include <memory>

class QWidget;

namespace quorrel {

// The receipt printer the user chose in the printer window: the direct thermal printer when one is
// set up and switched on, else the system's default printer. The choice is read afresh for every
// document (in prepareDocument(), on the windows' thread), so a change in the printer window holds
// from the next receipt on.
class ChosenPrinter : public Printer
{
public:
    explicit ChosenPrinter(QWidget* dialogOwner = nullptr);
    ~ChosenPrinter() override;

    bool prepareDocument() override;
    bool startDocument() override;
    void setLeftMargin(int margin) override;
    void setFont(const QString& face, int points, bool bold) override;
    int textWidth(const QString& text) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawPicture(const QByteArray& image, int x, int y, int width, int height) override;
    void writeAt(int x, int y, const QString& text) override;
    void setWritePosition(int x, int y) override;
    void writeLines(const QString& text) override;
    bool endDocument() override;
    QString notReady() const override;
    void cancel() override;

private:
    QWidget* m_dialogOwner;
    int m_leftMargin = 0;
    bool m_thermal = false;
    bool m_prepared = false; // the printer for the next document is chosen
    std::unique_ptr<Printer> m_printer;
};

} // namespace quorrel
