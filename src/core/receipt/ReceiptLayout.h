#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace quorrel {

class Printer;
class Sale;
struct SaleHeader;

// What a receipt shows, as the main window shows it when the receipt is made.
struct ReceiptContent
{
    struct Item
    {
        QString name;
        QString quantity;
        QString unitPrice;
        QString amount;
    };

    QString shopName;
    QString ticketNumber;
    QString time;
    QList<Item> items;
    QString totalQuantity;
    QString totalAmount;
    QString totalDiscounted;
    QString received;
    QString change;
    QString cashier;
    QString paymentMethod;
    QString remark; // may hold several lines
};

// What the receipt of the sale shows.
ReceiptContent receiptOf(const Sale& sale, const SaleHeader& header);

// The settings one receipt is laid out with.
struct ReceiptSettings
{
    bool withUnitPrice = true; // the layout with the unit-price column
    bool printLogo = false;
    int paperMargin = 0; // tenths of a millimetre, the printer's left margin
    int printOffset = 0; // x of every text column and the start of every rule
    int logoOffset = 0;  // widens the logo
    QByteArray logo;     // the stored image bytes
};

enum class ReceiptStyle
{
    Printed, // a print job on the printer, ASCII colons in the totals
    Preview, // drawn on the preview board: its own fonts, full-width colons, no job and no margin
};

// Lays out one receipt on `printer`. In the printed style this is one whole job: StartDocument to
// EndDocument, with the margin set first; false when the job could not be started or finished.
// The positions are in tenths of a millimetre. No two texts or pictures share ink: the logo keeps its
// proportions and the header begins below it; a name wraps inside its column with its numbers on its
// last line; numbers are right-aligned, a wide one taking room from the name column; totals that do
// not fit beside each other go one under the other; the remark wraps. The rules end 48 mm right.
bool layOutReceipt(Printer& printer, const ReceiptContent& content, const ReceiptSettings& settings,
                   ReceiptStyle style = ReceiptStyle::Printed);

// The payment method without its leading ASCII and full-width blanks.
QString trimLeadingBlanks(const QString& text);

} // namespace quorrel
