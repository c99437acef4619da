#pragma once

#include "core/shop/PaymentMethods.h"

#include <QDialog>

#include <memory>
#include <optional>

class QStandardItemModel;

namespace Ui {
class PaymentMethodWindow;
}

namespace quorrel {

class Database;

// Keeps the payment methods the cashier picks from.
class PaymentMethodWindow : public QDialog
{
    Q_OBJECT
public:
    explicit PaymentMethodWindow(Database& db, QWidget* parent = nullptr);
    ~PaymentMethodWindow() override;

private:
    void fillList();
    // The method selected in this window's list; `noneMessage` when there is none.
    std::optional<PaymentMethod> selectedMethod(const QString& noneMessage);
    void rowClicked();
    void addClicked();
    void changeClicked();
    void deleteClicked();

    std::unique_ptr<Ui::PaymentMethodWindow> m_ui;
    Database& m_db;
    QStandardItemModel* m_model = nullptr;
    QList<PaymentMethod> m_methods;
};

} // namespace quorrel
