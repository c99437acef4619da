#include "gui/sales/ProductLookup.h"

#include "core/sales/LineMath.h"
#include "core/sales/NameCompletion.h"
#include "core/sales/ProductListModel.h"
#include "core/shop/Products.h"
#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/Gbk.h"
#include "gui/widgets/DropComboBox.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace quorrel {

namespace {

// Keys that are pressed and let go on their own while a letter is typed: they change no text.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
        return true;
    default:
        return false;
    }
}

bool runsLookup(int key)
{
    return key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_F5 && !isModifierKey(key);
}
} // namespace

ProductLookup::ProductLookup(QLineEdit* name, QLineEdit* price, DropComboBox* list, Products& products, QWidget* owner)
    : QObject(owner), m_name(name), m_price(price), m_list(list), m_products(products), m_owner(owner),
      m_listModel(new ProductListModel(products, this))
{
    connect(&m_products, &Products::changed, this, &ProductLookup::productsChanged);
    m_list->setModel(m_listModel);
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
        if (runsLookup(key->key()))
            keyDown();
        break;
    }
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() && runsLookup(key->key()))
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
    if (!lookup(box->text()))
        return; // nothing to offer: the box keeps what was typed
    if (const std::optional<CompletedName> completed = completeName(box->text(), m_typedLength, m_lastMatch)) {
        box->setText(completed->text);
        box->setSelection(static_cast<int>(completed->text.size()),
                          -static_cast<int>(completed->text.size() - completed->selectFrom));
    }
}

bool ProductLookup::lookup(const QString& text)
{
    const std::optional<ProductMatch> match = lastProductWithPrefix(m_products.database(), text);
    if (!match) {
        m_lastMatch.clear(); // an earlier match must not complete what is typed now
        MessageBox::failed(m_owner, MessageBox::kQueryFailed, m_products.database().lastError());
        return false;
    }
    m_lastMatch = match->name;
    if (!match->name.isEmpty())
        m_price->setText(match->price);
    return true;
}

void ProductLookup::fillList()
{
    if (!m_listModel->reload())
        MessageBox::failed(m_owner, MessageBox::kQueryFailed, m_listModel->readError());
}

void ProductLookup::productsChanged()
{
    // What the wheel and the list offer next is what is stored now. A list never shown stays
    // unread until it drops down.
    if (m_listModel->filled() && !m_listModel->reload())
        qWarning().noquote() << "product list not read again:" << m_listModel->readError();
}

void ProductLookup::entryPicked(int index)
{
    if (index < 0 || !m_listModel->ensureRow(index))
        return;
    m_productChosen = true;
    m_name->setText(m_listModel->text(index));
    m_price->setText(formatMoney(m_listModel->price(index)));
}

void ProductLookup::wheelOverName(int step)
{
    if (m_listModel->rowCount() == 0)
        return; // nothing listed yet: the name and price stay as they are
    // Steps within the list, never before its first entry or past its last (also after the list
    // was filled again shorter).
    m_wheelPosition = std::max(1, m_wheelPosition + step);
    m_listModel->ensureRow(m_wheelPosition - 1);
    m_wheelPosition = std::min(m_wheelPosition, m_listModel->rowCount());
    const int row = m_wheelPosition - 1;
    m_name->setText(m_listModel->text(row));
    m_price->setText(formatMoney(m_listModel->price(row)));
}

bool ProductLookup::rememberProduct()
{
    if (!m_lastMatch.isEmpty() || m_productChosen)
        return true;
    // A name that reached the box without typing (a row of the list picked again) may be stored
    // already: it is not stored twice.
    const QString name = m_name->text();
    const std::optional<bool> known = productExists(m_products.database(), name);
    if (known.value_or(false)) {
        m_productChosen = true;
        return true;
    }
    if (!known) {
        MessageBox::failed(m_owner, QStringLiteral("添加失败！"), m_products.database().lastError());
        return false;
    }
    if (const Done remembered = m_products.remember(name, m_price->text()); !remembered) {
        MessageBox::failed(m_owner, QStringLiteral("添加失败！"), remembered.error());
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
