#include "gui/sales/HeaderBoxes.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace quorrel {

void bindHeaderBox(QLineEdit* box, CurrentSale& sale, CurrentSale::Field field)
{
    sale.setField(field, box->text());
    QObject::connect(box, &QLineEdit::textChanged, &sale,
                     [&sale, field](const QString& text) { sale.setField(field, text); });
    QObject::connect(&sale, &CurrentSale::fieldChanged, box,
                     [box, field](CurrentSale::Field changed, const QString& text) {
                         if (changed == field && box->text() != text)
                             box->setText(text);
                     });
}

void bindHeaderBox(QPlainTextEdit* box, CurrentSale& sale, CurrentSale::Field field)
{
    sale.setField(field, box->toPlainText());
    QObject::connect(box, &QPlainTextEdit::textChanged, &sale,
                     [box, &sale, field] { sale.setField(field, box->toPlainText()); });
    QObject::connect(&sale, &CurrentSale::fieldChanged, box,
                     [box, field](CurrentSale::Field changed, const QString& text) {
                         if (changed == field && box->toPlainText() != text)
                             box->setPlainText(text);
                     });
}

} // namespace quorrel
