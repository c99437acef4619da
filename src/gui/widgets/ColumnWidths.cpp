#include "gui/widgets/ColumnWidths.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>

namespace quorrel {

ColumnWidths* ColumnWidths::keep(QTreeView* list, const QList<int>& designedWidths)
{
    return new ColumnWidths(list, designedWidths);
}

ColumnWidths::ColumnWidths(QTreeView* list, const QList<int>& designedWidths)
    : QObject(list), m_list(list), m_designed(designedWidths), m_leftToUser(designedWidths.size(), false)
{
    setObjectName(QStringLiteral("ColumnWidths"));
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    // What the rows in view need; the rows beyond them are measured when they come into view.
    header->setResizeContentsPrecision(0);
    for (int column = 0; column < m_designed.size(); ++column)
        list->setColumnWidth(column, m_designed[column]);

    QAbstractItemModel* model = list->model();
    const auto later = [this] { QMetaObject::invokeMethod(this, &ColumnWidths::widen, Qt::QueuedConnection); };
    connect(model, &QAbstractItemModel::modelReset, this, later);
    connect(model, &QAbstractItemModel::rowsInserted, this, later);
    connect(model, &QAbstractItemModel::dataChanged, this, later);
    connect(model, &QAbstractItemModel::layoutChanged, this, later);
    connect(model, &QAbstractItemModel::headerDataChanged, this, later);
    // Scrolled rows are measured before they are painted.
    connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this, &ColumnWidths::widen);
    connect(header, &QHeaderView::sectionResized, this, &ColumnWidths::sectionResized);
    list->viewport()->installEventFilter(this);
    widen();
}

void ColumnWidths::widen()
{
    const QHeaderView* header = m_list->header();
    // The tree view measures the rows in view (its header's precision is 0); public through its base.
    const QAbstractItemView* view = m_list;
    m_widening = true;
    for (int column = 0; column < header->count() && column < m_designed.size(); ++column) {
        if (m_leftToUser[column] || header->isSectionHidden(column))
            continue;
        const int wanted =
            std::max({m_designed[column], header->sectionSizeHint(column), view->sizeHintForColumn(column)});
        if (wanted > header->sectionSize(column))
            m_list->setColumnWidth(column, wanted);
    }
    m_widening = false;
}

bool ColumnWidths::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::Resize)
        widen();
    return QObject::eventFilter(watched, event);
}

void ColumnWidths::sectionResized(int column, int oldWidth, int newWidth)
{
    if (!m_widening && column < m_leftToUser.size() && newWidth < oldWidth)
        m_leftToUser[column] = true;
}

} // namespace quorrel
