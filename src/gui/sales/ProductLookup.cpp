#include "gui/sales/ProductLookup.h"

#include "core/sales/LineMath.h"
#include "core/sales/NameCompletion.h"
#include "core/store/Gbk.h"
#include "gui/widgets/DropComboBox.h"
#include "gui/widgets/MessageBox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWheelEvent>

namespace quorrel {

namespace {
const QString kQueryFailed = QStringLiteral("查询失败！");
} // namespace

ProductLookup::ProductLookup(QLineEdit* name, QLineEdit* price, DropComboBox* list, Database& db, QWidget* owner)
    : QObject(owner), m_name(name), m_price(price), m_list(list), m_db(db), m_owner(owner)
{
    m_name->installEventFilter(this);
    connect(m_list, &DropComboBox::aboutToDrop, this, &ProductLookup::fillList);
    connect(m_list, &QComboBox::activated, this, &ProductLookup::entryPicked);
}

bool ProductLookup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_name)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter && key->key() != Qt::Key_F5)
            keyDown();
        break;
    }
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() && key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter &&
            key->key() != Qt::Key_F5)
            keyUp(key->key());
        break;
    }
    case QEvent::InputMethod:
        // Text committed by an input method (Chinese typing) arrives without key events: treat it
        // as a key that was let go once the box holds the new text.
        if (!static_cast<QInputMethodEvent*>(event)->commitString().isEmpty())
            QTimer::singleShot(0, this, [this] { keyUp(0); });
        break;
    case QEvent::Wheel: {
        const int notches = wheelNotches(static_cast<QWheelEvent*>(event)->angleDelta().y());
        if (notches != 0)
            wheelOverName(wheelStep(notches));
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void ProductLookup::keyDown()
{
    ++m_typedLength;
}

void ProductLookup::keyUp(int key)
{
    QLineEdit* box = m_name;
    if (box->text().isEmpty()) {
        m_price->setText(QStringLiteral("0.00"));
        m_typedLength = 0;
        return;
    }
    if (key == Qt::Key_Backspace) {
        --m_typedLength;
        if (box->hasSelectedText())
            box->del();
        return;
    }
    m_typedLength = gbkLength(box->text());
    lookup(box->text());
    if (const std::optional<CompletedName> completed = completeName(box->text(), m_typedLength, m_lastMatch)) {
        box->setText(completed->text);
        box->setSelection(static_cast<int>(completed->text.size()),
                          -static_cast<int>(completed->text.size() - completed->selectFrom));
    }
}

void ProductLookup::lookup(const QString& text)
{
    const std::optional<ProductMatch> match = lastProductWithPrefix(m_db, text);
    if (!match) {
        MessageBox::show(m_owner, kQueryFailed);
        return;
    }
    m_lastMatch = match->name;
    if (!match->name.isEmpty())
        m_price->setText(match->price);
}

void ProductLookup::fillList()
{
    QComboBox* combo = m_list;
    combo->clear();
    m_entries.clear();
    const std::optional<QList<ProductEntry>> entries = productList(m_db);
    if (!entries) {
        MessageBox::show(m_owner, kQueryFailed);
        return;
    }
    m_entries = *entries;
    for (const ProductEntry& entry : m_entries)
        combo->addItem(entry.text, entry.number);
}

void ProductLookup::entryPicked(int index)
{
    if (index < 0 || index >= m_entries.size())
        return;
    m_productChosen = true;
    m_name->setText(m_entries[index].text);
    m_price->setText(QString::number(m_entries[index].number));
}

void ProductLookup::wheelOverName(int step)
{
    if (m_entries.isEmpty())
        return; // nothing listed yet: the name and price stay as they are
    m_wheelPosition += step;
    if (m_wheelPosition > m_entries.size())
        m_wheelPosition = static_cast<int>(m_entries.size()); // also after the list was refilled shorter
    if (m_wheelPosition <= 0)
        m_wheelPosition += 1;
    const ProductEntry& entry = m_entries[m_wheelPosition - 1];
    m_name->setText(entry.text);
    m_price->setText(QString::number(entry.number));
}

bool ProductLookup::rememberProduct()
{
    if (!m_lastMatch.isEmpty() || m_productChosen)
        return true;
    // A name that reached the box without typing (a row of the list picked again) may be stored
    // already: it is not stored twice.
    const QString name = m_name->text();
    const std::optional<bool> known = productExists(m_db, name);
    if (known.value_or(false)) {
        m_productChosen = true;
        return true;
    }
    if (!known || !rememberProductRow(m_db, name, m_price->text())) {
        MessageBox::show(m_owner, QStringLiteral("添加失败！"));
        return false;
    }
    m_productChosen = true;
    return true;
}

void ProductLookup::lineAdded()
{
    m_productChosen = false;
}

} // namespace quorrel
