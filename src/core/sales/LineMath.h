#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quorrel {

// The five text cells of a sale line after its row number, as the list shows, prints and stores them.
struct LineCells
{
    QString name;       // column 1
    QString quantity;   // column 2, as typed
    QString unitPrice;  // column 3, two decimals
    QString amount;     // column 4
    QString discounted; // column 5
    // The rate the line was sold at, in tenths of the full price ("9.5"); "10" for none. Stored
    // with the line, never shown in the sale's list.
    QString discountRate = kNoDiscount;

    static inline const QString kNoDiscount = QStringLiteral("10");
};

// What the entry boxes hold when a line is added or changed.
struct LineEntry
{
    QString name;
    QString quantity;
    QString unitPrice;
    bool discountOn = false;
    QString discountRate; // tenths of the full price, as typed ("9.5")
};

// Amounts are worked out exactly and written in plain digits; a price or amount of more than 16
// digits before the point, or a quantity or price of more than 18 significant digits, gives nullopt.
// Full-width digits in the quantity and price are written as ordinary ones.

// A line added with "添加": the name shown after the first "-", amounts rounded to two decimals.
std::optional<LineCells> addedLine(const LineEntry& entry);

// A line changed with "修改": the name as typed, the amount cut (not rounded) to two decimals and the
// discounted amount rounded but not padded, so "4.5" or "3.125" can stand in the cell.
std::optional<LineCells> changedLine(const LineEntry& entry);

// "A01-可乐" → "可乐": what follows the first "-", or the whole name.
QString shownName(const QString& name);

// Whole notches of a wheel roll from its angle in eighths of a degree (120 a notch, away from the
// user positive); 0 for part of a notch, as a fine-grained wheel reports.
inline int wheelNotches(int angleDelta)
{
    return angleDelta / 120;
}

// The wheel's step for a roll reported in notches: exactly one notch away from the user steps −1,
// anything else +1.
int wheelStep(int notches);

// The quantity and price boxes stepped by the wheel; nullopt when nothing changes.
std::optional<QString> steppedQuantity(const QString& text, int step);
std::optional<QString> steppedPrice(const QString& text, int step);

} // namespace quorrel
