#include "gui/sales/CustomerLookups.h"

#include "core/shop/CustomerListModel.h"
#include "core/shop/Shop.h"
#include "gui/widgets/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QLineEdit>
#include <QSignalBlocker>

namespace quorrel {

CustomerLookups::CustomerLookups(const CustomerLookupUnits& units, Shop& shop, QWidget* owner)
    : QObject(owner), m_units(units), m_shop(shop), m_owner(owner)
{
    m_phoneList = new CustomerListModel(shop.customers(), this);
    m_nameList = new CustomerListModel(shop.customers(), this);
    connect(&shop.customers(), &Customers::changed, this, &CustomerLookups::customersChanged);
    m_units.phones->setModel(m_phoneList);
    m_units.phones->setModelColumn(CustomerListModel::Phone);
    m_units.names->setModel(m_nameList);
    m_units.names->setModelColumn(CustomerListModel::Name);
    connect(m_units.phoneBox, &QCheckBox::clicked, this, &CustomerLookups::phoneBoxClicked);
    connect(m_units.nameBox, &QCheckBox::clicked, this, &CustomerLookups::nameBoxClicked);
    connect(m_units.phones, &QComboBox::currentIndexChanged, this, &CustomerLookups::phonePicked);
    connect(m_units.names, &QComboBox::currentIndexChanged, this, &CustomerLookups::namePicked);
    for (QLineEdit* box : {m_units.phone, m_units.name})
        connect(box, &QLineEdit::textEdited, this, [this] { m_picked.reset(); });
}

void CustomerLookups::applyPhoneSetting(bool on)
{
    m_units.phoneBox->setChecked(on);
    if (on) {
        phoneBoxClicked(true);
    } else {
        m_units.phones->setEnabled(false);
        m_units.phone->setEnabled(false);
    }
}

void CustomerLookups::applyNameSetting(bool on)
{
    m_units.nameBox->setChecked(on);
    if (on) {
        nameBoxClicked(true);
    } else {
        m_units.names->setEnabled(false);
        m_units.name->setEnabled(false);
    }
}

void CustomerLookups::phoneBoxClicked(bool checked)
{
    m_units.phones->setEnabled(checked);
    m_units.phone->setEnabled(checked);
    storeFlag(setting::kPhone, checked);
    if (checked) {
        fill(m_units.phones, m_phoneList);
        showCustomer();
    }
}

void CustomerLookups::nameBoxClicked(bool checked)
{
    m_units.names->setEnabled(checked);
    m_units.name->setEnabled(checked);
    storeFlag(setting::kCustomer, checked);
    if (checked) {
        fill(m_units.names, m_nameList);
        showCustomer();
    }
}

void CustomerLookups::phonePicked(int row)
{
    showPicked(m_phoneList, row);
}

void CustomerLookups::namePicked(int row)
{
    showPicked(m_nameList, row);
}

void CustomerLookups::customersChanged()
{
    // Only a list that is switched on has been read; the boxes keep the customer shown.
    if (m_units.phoneBox->isChecked())
        fill(m_units.phones, m_phoneList);
    if (m_units.nameBox->isChecked())
        fill(m_units.names, m_nameList);
}

void CustomerLookups::storeFlag(const QString& column, bool on)
{
    if (const Done stored = m_shop.settings().setFlag(column, on); !stored)
        MessageBox::failed(m_owner, QStringLiteral("数据修改失败"), stored.error());
}

void CustomerLookups::fill(QComboBox* combo, CustomerListModel* list)
{
    const QSignalBlocker quiet(combo); // filling picks no customer
    const bool read = list->reload();
    combo->setCurrentIndex(-1); // so that any customer picked is a change, the first one too
    if (!read)
        MessageBox::failed(m_owner, MessageBox::kQueryFailed, list->readError());
}

void CustomerLookups::showPicked(CustomerListModel* picked, int row)
{
    // The wheel steps past the rows read so far as the drop-down list's scrolling does.
    if (row == picked->rowCount() - 1 && picked->canFetchMore({}))
        picked->fetchMore({});
    const Customer* customer = picked->customerAt(row);
    m_picked = customer ? std::optional<Customer>(*customer) : std::nullopt;
    m_units.phone->setText(customer && m_phoneList->rowCount() > 0 ? customer->phone : QString());
    m_units.name->setText(customer && m_nameList->rowCount() > 0 ? customer->name : QString());
}

void CustomerLookups::showCustomer()
{
    if (!m_picked)
        return; // what the cashier typed stays
    if (m_phoneList->rowCount() > 0)
        m_units.phone->setText(m_picked->phone);
    if (m_nameList->rowCount() > 0)
        m_units.name->setText(m_picked->name);
}

} // namespace quorrel
