#include "core/shop/ShopTable.h"

#include "core/store/Database.h"

namespace quorrel {

Done ShopTable::announceIf(bool stored)
{
    if (!stored)
        return m_db.failure();
    emit changed();
    return {};
}

} // namespace quorrel
