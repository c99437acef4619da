#pragma once

#include <QList>
#include <QObject>

class QTreeView;

namespace quorrel {

// Keeps a list's columns wide enough for what they show: each starts at its designed width and
// widens, whenever rows are shown (filled, changed, scrolled to), to its title and the widest value
// of the rows in view, so that a ticket number, a time or an amount is never cut. A column the user
// drags narrower than its values stays as the user left it; one dragged wider keeps that width until
// a wider value comes. Only the rows in view are measured, so a list of any length costs the same.
class ColumnWidths : public QObject
{
    Q_OBJECT

public:
    // Gives `list` (which has its model) its designed column widths and keeps them wide enough from
    // now on; the keeper belongs to the list.
    static ColumnWidths* keep(QTreeView* list, const QList<int>& designedWidths);

    // Widens the columns for the rows now in view.
    void widen();

private:
    ColumnWidths(QTreeView* list, const QList<int>& designedWidths);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void sectionResized(int column, int oldWidth, int newWidth);

    QTreeView* m_list;
    QList<int> m_designed;
    QList<bool> m_leftToUser;
    bool m_widening = false;
};

} // namespace quorrel
