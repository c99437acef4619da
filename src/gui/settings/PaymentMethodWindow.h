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

// Keeps the payment methods the cashier picks from; the list follows every change of them.
class PaymentMethodWindow : public QDialog
{
    Q_OBJECT
public:
    explicit PaymentMethodWindow(PaymentMethods& methods, QWidget* parent = nullptr);
    ~PaymentMethodWindow() override;

private:
    void fillList();
    // The method selected in this window's list; `noneMessage` when there is none.
    std::optional<PaymentMethod> selectedMethod(const QString& noneMessage);
    void rowClicked();
    void addClicked();
    void changeClicked();
    void deleteClicked();
    void reportIfFailed(const Done& result, const QString& failure);

    std::unique_ptr<Ui::PaymentMethodWindow> m_ui;
    PaymentMethods& m_store;
    QStandardItemModel* m_model = nullptr;
    QList<PaymentMethod> m_methods;
};

} // namespace quorrel
