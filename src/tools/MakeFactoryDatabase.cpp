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

// `contents` runs inside one transaction after the key is set.
bool makeDatabase(const std::string& path, const std::string& contents)
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
    ok = ok && run(db, "BEGIN;") && run(db, contents.c_str()) && run(db, "COMMIT;");
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

bool writeSource(const std::vector<unsigned char>& image, const std::string& space, const std::string& out)
{
    std::ofstream source(out, std::ios::binary | std::ios::trunc);
    source << "// Generated at build time from the schema; do not edit.\n"
              "#include <cstddef>\n\n"
              "namespace "
           << space
           << " {\n"
              "extern const unsigned char kImage[];\n"
              "extern const std::size_t kImageSize;\n"
              "alignas(16) const unsigned char kImage[] = {\n";
    char cell[8];
    for (std::size_t i = 0; i < image.size(); ++i) {
        std::snprintf(cell, sizeof cell, "%u,", image[i]);
        source << cell << ((i % 24 == 23) ? "\n" : "");
    }
    source << "\n};\nconst std::size_t kImageSize = " << image.size() << ";\n";
    source << "extern const char kDerivedKey[];\nconst char kDerivedKey[] = \"" << derivedKeyHex(image) << "\";\n";
    source << "} // namespace " << space << "\n";
    source.close();
    return static_cast<bool>(source);
}

bool readFile(const std::string& path, std::vector<unsigned char>* bytes)
{
    std::ifstream in(path, std::ios::binary);
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if ((!in.eof() && in.fail()) || bytes->empty()) {
        std::fprintf(stderr, "quorrel_mkfactory: cannot read %s back\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: quorrel_mkfactory DATABASE_PATH OUTPUT_CPP\n");
        return 2;
    }
    const std::string factoryRows = std::string(quorrel::schema::kCreateTables) + quorrel::schema::kFactoryRows +
                                    "PRAGMA user_version = " + std::to_string(quorrel::schema::kSchemaVersion) + ";";
    std::vector<unsigned char> bytes;
    if (!makeDatabase(argv[1], factoryRows) || !readFile(argv[1], &bytes))
        return 1;
    if (!writeSource(bytes, "quorrel::factory", argv[2])) {
        std::fprintf(stderr, "quorrel_mkfactory: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
