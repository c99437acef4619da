#pragma once

#include <QByteArray>
#include <QString>

namespace quorrel {

// The text in the GBK code page, as the receipt and the name box count it. A character GBK
// cannot hold becomes "?" (one byte), as the Windows conversion does.
QByteArray toGbk(const QString& text);
QString fromGbk(const QByteArray& bytes);
int gbkLength(const QString& text);

// Number of characters of `text` whose GBK bytes fit in the first `bytes` bytes; a character cut
// in the middle is not counted, so the result never splits one.
qsizetype charactersInGbkBytes(const QString& text, int bytes);

// MD5 of the password's GBK bytes as 32 lowercase hexadecimal characters.
QString passwordDigest(const QString& password);

} // namespace quorrel
