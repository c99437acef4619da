#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

namespace quorrel {

// One stream of a compound file's root storage.
struct CompoundStream
{
    QString name; // at most 31 UTF-16 characters, none of / \ : !
    QByteArray data;
};

// Writes an OLE2 compound file (version 3, 512-byte sectors) that holds the streams in its root
// storage, as Office 97–2003 documents are stored. Streams under 4,096 bytes go to the mini stream;
// any size is allocated, the FAT spilling into DIFAT sectors past the 109 the header lists.
// `rootClassId`, 16 bytes or none, names the application the file belongs to.
// False with `error` set when a name is unusable or the device refuses a write.
bool writeCompoundFile(QIODevice* device, const QList<CompoundStream>& streams, QString* error = nullptr,
                       const QByteArray& rootClassId = QByteArray());

} // namespace quorrel
