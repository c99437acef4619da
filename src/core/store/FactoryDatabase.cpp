#include "core/store/FactoryDatabase.h"

#include "core/store/FileWriter.h"
#include "core/store/Schema.h"

#include <QFile>

#include <cstddef>

namespace quorrel::factory {
extern const unsigned char kImage[];
extern const std::size_t kImageSize;
extern const char kDerivedKey[];
} // namespace quorrel::factory

namespace quorrel {

QByteArray factoryDatabaseImage()
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(factory::kImage),
                                   static_cast<qsizetype>(factory::kImageSize));
}

QByteArray knownRawKey(const QString& path, const QByteArray& password)
{
    constexpr qsizetype kSaltSize = 16;
    if (password != QByteArray(schema::kDatabaseKey))
        return QByteArray();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray salt = file.read(kSaltSize);
    if (salt.size() != kSaltSize || salt != factoryDatabaseImage().left(kSaltSize))
        return QByteArray();
    return "x'" + QByteArray(factory::kDerivedKey) + "'";
}

bool writeFactoryDatabase(const QString& path, QString* error)
{
    return writeFileAtomically(path, factoryDatabaseImage(), error);
}

} // namespace quorrel
