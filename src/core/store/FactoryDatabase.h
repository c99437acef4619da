#pragma once

#include <QByteArray>
#include <QString>

namespace quorrel {

// The factory database the program carries: schema, settings row 1, the user "admin" with an
// empty password, the common payment methods. Made at build time, encrypted with the program's key.
QByteArray factoryDatabaseImage();

// The key SQLCipher would derive from `password` for the file at `path`, ready to pass as a raw key,
// when the file carries the factory image's salt (every file written from it does) and the password
// is the program's own; empty otherwise. Spares the key derivation at every start.
QByteArray knownRawKey(const QString& path, const QByteArray& password);

// Writes the factory database to `path` whole or not at all (writeFileAtomically): a full disk
// leaves no half file behind. False with `error` set when it could not be written.
bool writeFactoryDatabase(const QString& path, QString* error = nullptr);

} // namespace quorrel
