#include "gui/receipt/ChosenPrinter.h"

#include "core/receipt/ThermalPrinter.h"
#include "gui/receipt/SystemPrinter.h"

namespace quorrel {

ChosenPrinter::ChosenPrinter(QWidget* dialogOwner) : m_dialogOwner(dialogOwner) {}

ChosenPrinter::~ChosenPrinter() = default;

bool ChosenPrinter::prepareDocument()
{
    const ThermalSettings thermal = ThermalSettings::load();
    if (thermal.enabled) {
        m_printer = std::make_unique<ThermalPrinter>(thermal);
        m_thermal = true;
    } else if (!m_printer || m_thermal) {
        m_printer = std::make_unique<SystemPrinter>(m_dialogOwner);
        m_thermal = false;
    }
    m_printer->setLeftMargin(m_leftMargin);
    m_prepared = m_printer->prepareDocument();
    return m_prepared;
}

bool ChosenPrinter::startDocument()
{
    if (!m_prepared && !prepareDocument())
        return false;
    m_prepared = false; // the next document chooses again
    return m_printer->startDocument();
}

void ChosenPrinter::setLeftMargin(int margin)
{
    m_leftMargin = margin; // kept from one document to the next, whichever printer takes it
    if (m_printer)
        m_printer->setLeftMargin(margin);
}

void ChosenPrinter::setFont(const QString& face, int points, bool bold)
{
    if (m_printer)
        m_printer->setFont(face, points, bold);
}

int ChosenPrinter::textWidth(const QString& text)
{
    return m_printer ? m_printer->textWidth(text) : 0;
}

void ChosenPrinter::drawLine(int x1, int y1, int x2, int y2)
{
    if (m_printer)
        m_printer->drawLine(x1, y1, x2, y2);
}

void ChosenPrinter::drawPicture(const QByteArray& image, int x, int y, int width, int height)
{
    if (m_printer)
        m_printer->drawPicture(image, x, y, width, height);
}

void ChosenPrinter::writeAt(int x, int y, const QString& text)
{
    if (m_printer)
        m_printer->writeAt(x, y, text);
}

void ChosenPrinter::setWritePosition(int x, int y)
{
    if (m_printer)
        m_printer->setWritePosition(x, y);
}

void ChosenPrinter::writeLines(const QString& text)
{
    if (m_printer)
        m_printer->writeLines(text);
}

bool ChosenPrinter::endDocument()
{
    return m_printer && m_printer->endDocument();
}

QString ChosenPrinter::notReady() const
{
    return m_printer ? m_printer->notReady() : QString();
}

void ChosenPrinter::cancel()
{
    if (m_printer)
        m_printer->cancel();
}

} // namespace quorrel
