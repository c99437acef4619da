#include "support/TextFit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <optional>

namespace quorrel::test {
namespace {

// Units are the widgets a window's definition names; Qt's own parts of a widget are not.
bool isUnit(const QWidget* widget)
{
    const QString name = widget->objectName();
    return !name.isEmpty() && !name.startsWith(u"qt_");
}

QString kindOf(const QWidget* widget)
{
    return QString::fromLatin1(widget->metaObject()->className());
}

// Widgets that only hold or frame others.
bool isHolder(const QWidget* widget)
{
    const QString kind = kindOf(widget);
    return kind == u"QWidget" || kind == u"QFrame" || kind == u"QGroupBox" || kind == u"QTabWidget" ||
           kind == u"QStackedWidget" || kind == u"QMenuBar";
}

QRect inWindow(const QWidget* widget, const QWidget* window, const QRect& rect)
{
    return rect.translated(widget->mapTo(window, QPoint(0, 0)));
}

// The part of a widget the window shows: its rectangle less what the window's edge and the widgets
// around it cut off.
QRect shownRect(const QWidget* widget, const QWidget* window)
{
    QRect shown = inWindow(widget, window, widget->rect());
    for (const QWidget* around = widget->parentWidget(); around && around != window; around = around->parentWidget())
        shown &= inWindow(around, window, around->rect());
    return shown & window->rect();
}

// Where a unit draws its text (`needed`) and the room it may take (`room`), both in the unit's
// coordinates. Texts of one line are measured across only; their lines' height is the unit's.
struct TextPlace
{
    QRect room;
    QRect needed;
    bool severalLines = false;
};

QStyleOptionButton buttonOption(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (const auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat())
            option.features |= QStyleOptionButton::Flat;
    }
    return option;
}

QStyleOptionGroupBox groupOption(const QGroupBox* group)
{
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.lineWidth = 1;
    option.textAlignment = group->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame;
    if (!group->title().isEmpty())
        option.subControls |= QStyle::SC_GroupBoxLabel;
    if (group->isCheckable())
        option.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (group->isFlat())
        option.features |= QStyleOptionFrame::Flat;
    return option;
}

QRect groupTitle(const QGroupBox* group)
{
    const QStyleOptionGroupBox option = groupOption(group);
    QRect title;
    if (option.subControls & QStyle::SC_GroupBoxLabel)
        title = group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
    if (group->isCheckable())
        title |= group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxCheckBox, group);
    return title;
}

std::optional<TextPlace> textPlace(const QWidget* unit)
{
    if (const auto* label = qobject_cast<const QLabel*>(unit)) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return std::nullopt;
        const int margin = label->margin();
        TextPlace place;
        place.room = label->contentsRect().adjusted(margin, margin, -margin, -margin);
        int flags = int(QStyle::visualAlignment(label->layoutDirection(), label->alignment()));
        if (label->wordWrap())
            flags |= Qt::TextWordWrap;
        place.needed = label->fontMetrics().boundingRect(place.room, flags, label->text());
        place.severalLines = label->wordWrap() || label->text().contains(u'\n');
        return place;
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(unit)) {
        if (button->text().isEmpty())
            return std::nullopt;
        const QStyleOptionButton option = buttonOption(button);
        const int width = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
        TextPlace place;
        if (qobject_cast<const QPushButton*>(button)) {
            place.room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            place.needed =
                QRect(place.room.x() + (place.room.width() - width) / 2, place.room.y(), width, place.room.height());
        } else {
            const bool radio = qobject_cast<const QRadioButton*>(button) != nullptr;
            place.room = button->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, button);
            place.needed = QRect(place.room.x(), place.room.y(), width, place.room.height());
        }
        return place;
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(unit)) {
        if (group->title().isEmpty())
            return std::nullopt;
        return TextPlace{group->rect(), groupTitle(group), false};
    }
    return std::nullopt;
}

QString textOf(const QWidget* unit)
{
    if (const auto* label = qobject_cast<const QLabel*>(unit))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(unit))
        return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(unit))
        return group->title();
    return QString();
}

bool fits(const TextPlace& place)
{
    const QRect& room = place.room;
    const QRect& needed = place.needed;
    if (needed.left() < room.left() || needed.right() > room.right())
        return false;
    return !place.severalLines || (needed.top() >= room.top() && needed.bottom() <= room.bottom());
}

// What is seen of a unit when units are laid side by side: a label and a check or radio box by
// the room their text takes (their boxes often reach further), a group box by its title.
QRect visiblePart(const QWidget* unit, const QWidget* window)
{
    const QRect shown = shownRect(unit, window);
    if (const auto* group = qobject_cast<const QGroupBox*>(unit))
        return inWindow(group, window, groupTitle(group)) & shown;
    if (const auto* label = qobject_cast<const QLabel*>(unit)) {
        if (!label->pixmap().isNull())
            return shown;
        const std::optional<TextPlace> place = textPlace(label);
        return place ? inWindow(label, window, place->needed) & shown : QRect();
    }
    if (const auto* box = qobject_cast<const QAbstractButton*>(unit); box && !qobject_cast<const QPushButton*>(box)) {
        const QStyleOptionButton option = buttonOption(box);
        const bool radio = qobject_cast<const QRadioButton*>(box) != nullptr;
        QRect part = box->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, box);
        if (const std::optional<TextPlace> place = textPlace(box))
            part |= place->needed;
        return inWindow(box, window, part) & shown;
    }
    if (isHolder(unit))
        return QRect();
    return shown;
}

void listFaults(const QTreeView* list, QStringList& faults)
{
    const QString name = list->objectName();
    const QHeaderView* header = list->header();
    if (header->isVisible()) {
        for (int column = 0; column < header->count(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            if (header->sectionSizeHint(column) > header->sectionSize(column))
                faults << QStringLiteral("%1: the title of column %2 (%3) is cut")
                              .arg(name)
                              .arg(column)
                              .arg(list->model()->headerData(column, Qt::Horizontal).toString());
        }
    }
    const QAbstractItemModel* model = list->model();
    if (!model || model->rowCount() == 0)
        return;
    const int first = list->indexAt(QPoint(1, 1)).row();
    const QModelIndex bottom = list->indexAt(QPoint(1, list->viewport()->height() - 2));
    const int last = bottom.isValid() ? bottom.row() : model->rowCount() - 1;
    for (int row = std::max(first, 0); row <= last; ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex cell = model->index(row, column);
            if (!header->isSectionHidden(column) && list->sizeHintForIndex(cell).width() > list->columnWidth(column))
                faults << QStringLiteral("%1: row %2, column %3 shows \"%4\" cut")
                              .arg(name)
                              .arg(row + 1)
                              .arg(column)
                              .arg(cell.data().toString());
        }
    }
}

QList<QWidget*> unitsOf(QWidget* window)
{
    QList<QWidget*> units;
    for (QWidget* widget : window->findChildren<QWidget*>())
        if (isUnit(widget) && widget->isVisibleTo(window) && !shownRect(widget, window).isEmpty())
            units << widget;
    return units;
}

bool onPurposePair(const QList<QPair<QString, QString>>& onPurpose, const QWidget* a, const QWidget* b)
{
    for (const auto& [upper, lower] : onPurpose)
        if ((a->objectName() == upper && b->objectName() == lower) ||
            (a->objectName() == lower && b->objectName() == upper))
            return true;
    return false;
}

bool takesTab(QWidget* widget, const QWidget* window)
{
    return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && widget->isEnabled() &&
           widget->isVisibleTo(window) && !widget->focusProxy() && !shownRect(widget, window).isEmpty();
}

struct Placed
{
    QRect rect;
    QList<QWidget*> units; // in order
};

QList<QWidget*> orderWithin(QWidget* holder, QWidget* window);

void collectPlaced(QWidget* holder, QWidget* window, QList<Placed>& placed)
{
    for (QWidget* child : holder->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisibleTo(window) || child->isWindow())
            continue;
        const QString kind = kindOf(child);
        const QRect rect = shownRect(child, window);
        if (kind == u"QWidget" || kind == u"QFrame") {
            collectPlaced(child, window, placed);
        } else if (auto* group = qobject_cast<QGroupBox*>(child)) {
            Placed block{rect, {}};
            if (takesTab(group, window))
                block.units << group;
            block.units << orderWithin(group, window);
            placed << block;
        } else if (auto* tabs = qobject_cast<QTabWidget*>(child)) {
            Placed block{rect, {}};
            if (takesTab(tabs->tabBar(), window))
                block.units << tabs->tabBar();
            if (tabs->currentWidget())
                block.units << orderWithin(tabs->currentWidget(), window);
            placed << block;
        } else if (isUnit(child) && takesTab(child, window)) {
            placed << Placed{rect, {child}};
        }
    }
}

QList<QWidget*> orderWithin(QWidget* holder, QWidget* window)
{
    QList<Placed> placed;
    collectPlaced(holder, window, placed);
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.rect.top() != b.rect.top() ? a.rect.top() < b.rect.top() : a.rect.left() < b.rect.left();
    });
    // Units whose tops lie within a few pixels of a line's first unit are on that line.
    constexpr int kSameLine = 10;
    QList<QWidget*> order;
    for (qsizetype start = 0; start < placed.size();) {
        qsizetype end = start;
        while (end < placed.size() && placed[end].rect.top() <= placed[start].rect.top() + kSameLine)
            ++end;
        QList<Placed> line = placed.mid(start, end - start);
        std::stable_sort(line.begin(), line.end(),
                         [](const Placed& a, const Placed& b) { return a.rect.left() < b.rect.left(); });
        for (const Placed& item : line)
            order << item.units;
        start = end;
    }
    return order;
}

QWidget* unitWithFocus(QWidget* widget)
{
    while (widget && !isUnit(widget) && !qobject_cast<QTabBar*>(widget))
        widget = widget->parentWidget();
    return widget;
}

} // namespace

QStringList textFaults(QWidget* window, const QList<QPair<QString, QString>>& onPurpose)
{
    QStringList faults;
    const QList<QWidget*> units = unitsOf(window);
    for (QWidget* unit : units) {
        const QString name = unit->objectName();
        if (const std::optional<TextPlace> place = textPlace(unit)) {
            const QRect shown = shownRect(unit, window);
            QRect needed = inWindow(unit, window, place->needed);
            if (!place->severalLines) { // measured across only
                needed.setTop(std::max(needed.top(), shown.top()));
                needed.setBottom(std::min(needed.bottom(), shown.bottom()));
            }
            if (!fits(*place))
                faults << QStringLiteral("%1: its text \"%2\" needs %3×%4 but has %5×%6")
                              .arg(name, textOf(unit))
                              .arg(place->needed.width())
                              .arg(place->needed.height())
                              .arg(place->room.width())
                              .arg(place->room.height());
            else if (!shown.contains(needed))
                faults << QStringLiteral("%1: its text \"%2\" is cut by what is around it").arg(name, textOf(unit));
        }
        if (const auto* tabs = qobject_cast<const QTabWidget*>(unit)) {
            const QTabBar* bar = tabs->tabBar();
            for (int tab = 0; tab < bar->count(); ++tab)
                if (bar->isTabVisible(tab) &&
                    !shownRect(bar, window).contains(inWindow(bar, window, bar->tabRect(tab))))
                    faults << QStringLiteral("%1: the tab %2 is cut").arg(name, bar->tabText(tab));
        }
        if (const auto* list = qobject_cast<const QTreeView*>(unit))
            listFaults(list, faults);
        if (const auto* group = qobject_cast<const QGroupBox*>(unit)) {
            const QStyleOptionGroupBox option = groupOption(group);
            const QRect frame =
                group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, group);
            for (const QWidget* inside : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (isUnit(inside) && inside->isVisibleTo(window) && !frame.contains(inside->geometry()))
                    faults << QStringLiteral("%1 stands out of the frame of %2").arg(inside->objectName(), name);
        }
    }
    for (qsizetype i = 0; i < units.size(); ++i) {
        for (qsizetype j = i + 1; j < units.size(); ++j) {
            QWidget* a = units[i];
            QWidget* b = units[j];
            // A group box is seen by its title, which its own units may not cover either.
            const bool nested = (a->isAncestorOf(b) && !qobject_cast<QGroupBox*>(a)) ||
                                (b->isAncestorOf(a) && !qobject_cast<QGroupBox*>(b));
            if (nested || onPurposePair(onPurpose, a, b))
                continue;
            if (visiblePart(a, window).intersects(visiblePart(b, window)))
                faults << QStringLiteral("%1 and %2 lie over each other").arg(a->objectName(), b->objectName());
        }
    }
    return faults;
}

QList<QWidget*> readingOrder(QWidget* window)
{
    return orderWithin(window, window);
}

QList<QWidget*> tabbedUnits(QWidget* first, int count)
{
    QWidget* window = first->window();
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> units;
    // A date box takes Tab for its own fields before it passes it on: a few presses more.
    for (int press = 0; units.size() < count && press < 4 * count; ++press) {
        QWidget* focused = window->focusWidget();
        if (!focused)
            break;
        QWidget* before = unitWithFocus(focused);
        QTest::keyClick(focused, Qt::Key_Tab);
        QWidget* after = unitWithFocus(window->focusWidget());
        if (after != before || !qobject_cast<QDateTimeEdit*>(after))
            units << after;
    }
    return units;
}

QStringList unitNames(const QList<QWidget*>& units)
{
    QStringList names;
    for (const QWidget* unit : units)
        names << (unit ? (unit->objectName().isEmpty() ? QString::fromLatin1(unit->metaObject()->className())
                                                       : unit->objectName())
                       : QStringLiteral("(none)"));
    return names;
}

} // namespace quorrel::test
