#include "core/receipt/LogoStore.h"

#include "core/shop/ShopSettings.h"

namespace quorrel {

std::optional<int> loadLogoOffset(Database& db)
{
    return ShopSettings(db).logoOffset();
}

std::optional<QByteArray> loadLogoImage(Database& db)
{
    return ShopSettings(db).logoImage();
}

} // namespace quorrel
