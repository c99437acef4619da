#pragma once

#include "core/shop/Customers.h"

#include <QObject>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

namespace quorrel {

class CustomerListModel;
class Shop;

// The main window's units for picking a customer by telephone number or by name.
struct CustomerLookupUnits
{
    QCheckBox* phoneBox = nullptr; // 选择框_电话
    QComboBox* phones = nullptr;   // 组合框_电话
    QLineEdit* phone = nullptr;    // 编辑框_电话
    QCheckBox* nameBox = nullptr;  // 选择框_客户
    QComboBox* names = nullptr;    // 组合框_客户
    QLineEdit* name = nullptr;     // 编辑框_客户
};

// The two customer lookups of the main window. Each is switched on by its check box, which stores
// the choice in the settings row and fills its list; picking a customer in either list fills both
// boxes with that one customer's number and name, and a lookup switched on later shows the same
// customer: the two boxes never show parts of two customers. The boxes help the cashier only:
// nothing of them is printed or stored with the sale. A list that is switched on follows every
// change of the customers.
class CustomerLookups : public QObject
{
    Q_OBJECT
public:
    CustomerLookups(const CustomerLookupUnits& units, Shop& shop, QWidget* owner);

    // The stored choice read at start-up: on works as a click that switches the lookup on.
    void applyPhoneSetting(bool on);
    void applyNameSetting(bool on);

    void phoneBoxClicked(bool checked);
    void nameBoxClicked(bool checked);
    void phonePicked(int row);
    void namePicked(int row);

private:
    void customersChanged();
    void storeFlag(const QString& column, bool on);
    void fill(QComboBox* combo, CustomerListModel* list);
    // Shows the customer of `row` in `picked`; the other list's box shows them only when that list
    // has been filled in this run.
    void showPicked(CustomerListModel* picked, int row);
    // The picked customer in the boxes whose lists have been filled.
    void showCustomer();

    CustomerLookupUnits m_units;
    Shop& m_shop;
    QWidget* m_owner;
    CustomerListModel* m_phoneList = nullptr;
    CustomerListModel* m_nameList = nullptr;
    std::optional<Customer> m_picked; // the customer the boxes show; none once a box is typed into
};

} // namespace quorrel
