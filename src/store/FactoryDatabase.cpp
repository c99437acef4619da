#include "store/FactoryDatabase.h"

#include <QSaveFile>

#include <cstddef>

namespace quorrel::factory {
extern const unsigned char kImage[];
extern const std::size_t kImageSize;
} // namespace quorrel::factory

namespace quorrel {

QByteArray FactoryDatabaseImage()
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(factory::kImage),
                                   static_cast<qsizetype>(factory::kImageSize));
}

bool WriteFactoryDatabase(const QString& path, QString* error)
{
    const QByteArray image = FactoryDatabaseImage();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace quorrel
