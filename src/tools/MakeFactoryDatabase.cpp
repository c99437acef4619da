// Build-time tool: creates the factory database (schema and starting rows, encrypted with the
// program's key) and writes it out as a C++ source file holding the file's bytes.
// Usage: quorrel_mkfactory DATABASE_PATH OUTPUT_CPP

#include "core/store/Schema.h"

#include <sqlcipher/sqlite3.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QPasswordDigestor>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool run(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "quorrel_mkfactory: %s\n", error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        return false;
    }
    return true;
}

bool makeDatabase(const std::string& path)
{
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "quorrel_mkfactory: cannot create %s\n", path.c_str());
        sqlite3_close(db);
        return false;
    }
    const std::string key = quorrel::schema::kDatabaseKey;
    bool ok = sqlite3_key(db, key.data(), static_cast<int>(key.size())) == SQLITE_OK;
    const std::string version = "PRAGMA user_version = " + std::to_string(quorrel::schema::kSchemaVersion) + ";";
    ok = ok && run(db, "BEGIN;") && run(db, quorrel::schema::kCreateTables) && run(db, quorrel::schema::kFactoryRows) &&
         run(db, version.c_str()) && run(db, "COMMIT;");
    if (sqlite3_close(db) != SQLITE_OK) {
        std::fprintf(stderr, "quorrel_mkfactory: cannot close %s\n", path.c_str());
        ok = false;
    }
    return ok;
}

// SQLCipher derives the page key from the password and the file's 16-byte salt (its first bytes)
// with PBKDF2-HMAC-SHA1, 64,000 rounds, 32 bytes. Every file written from the factory image has the
// image's salt, so its key can be derived once here instead of at every start.
std::string derivedKeyHex(const std::vector<unsigned char>& bytes)
{
    const QByteArray salt(reinterpret_cast<const char*>(bytes.data()), 16);
    const QByteArray key = QPasswordDigestor::deriveKeyPbkdf2(
        QCryptographicHash::Sha1, QByteArray(quorrel::schema::kDatabaseKey), salt, 64000, 32);
    return key.toHex().toStdString();
}

bool writeSource(const std::vector<unsigned char>& bytes, const std::string& out)
{
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file << "// Generated at build time from the schema; do not edit.\n"
            "#include <cstddef>\n\n"
            "namespace quorrel::factory {\n"
            "extern const unsigned char kImage[];\n"
            "extern const std::size_t kImageSize;\n"
            "alignas(16) const unsigned char kImage[] = {\n";
    char cell[8];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(cell, sizeof cell, "%u,", bytes[i]);
        file << cell << ((i % 24 == 23) ? "\n" : "");
    }
    file << "\n};\nconst std::size_t kImageSize = " << bytes.size() << ";\n";
    file << "extern const char kDerivedKey[];\nconst char kDerivedKey[] = \"" << derivedKeyHex(bytes) << "\";\n";
    file << "} // namespace quorrel::factory\n";
    file.close();
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: quorrel_mkfactory DATABASE_PATH OUTPUT_CPP\n");
        return 2;
    }
    if (!makeDatabase(argv[1]))
        return 1;
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
        std::fprintf(stderr, "quorrel_mkfactory: cannot read %s back\n", argv[1]);
        return 1;
    }
    if (bytes.empty() || !writeSource(bytes, argv[2])) {
        std::fprintf(stderr, "quorrel_mkfactory: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
