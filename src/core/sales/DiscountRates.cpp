#include "core/sales/DiscountRates.h"

namespace quorrel {

QStringList discountRates()
{
    QStringList rates{QStringLiteral("10")};
    for (int tenths = 99; tenths >= 10; --tenths) {
        if (tenths == 88 || tenths == 70)
            continue;
        rates << QString::number(tenths / 10) + u'.' + QString::number(tenths % 10);
    }
    return rates;
}

} // namespace quorrel
