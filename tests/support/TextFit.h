#pragma once

#include <QList>
#include <QPair>
#include <QStringList>

class QWidget;

namespace quorrel::test {

// What a user would see wrong in a window as it stands, one line per finding:
//  - a text that does not fit the room its unit gives it, or that something around the unit cuts
//    off (the window's edge, a frame, a group box, a tab page): labels (wrapped or several-line ones
//    by their lines' height too), buttons, check and radio boxes, group titles, tabs, list headers
//    and the cells of a list's rows that are shown;
//  - two visible units over each other (a label or a check box by the room its text takes), a unit
//    over its group box's title or standing out of the group's frame.
// `onPurpose` names the pairs {upper, lower} the window puts one over the other by design.
QStringList textFaults(QWidget* window, const QList<QPair<QString, QString>>& onPurpose = {});

// The units that take the keyboard focus with Tab, in the order a reader meets them: top to
// bottom, left to right (units whose tops lie within a few pixels form one line), a group box or a
// tab widget read as one block where it begins. Only units the user can see and use count.
QList<QWidget*> readingOrder(QWidget* window);

// The first `count` units focused in turn by pressing Tab, starting from the focus on `first` (a
// date box's own moves between its fields are not counted).
QList<QWidget*> tabbedUnits(QWidget* first, int count);

// The names of the units, to compare and print.
QStringList unitNames(const QList<QWidget*>& units);

} // namespace quorrel::test
