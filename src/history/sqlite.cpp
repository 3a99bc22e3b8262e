#include "history/sqlite.h"

#include <sqlite3.h>

namespace velmora::sqlite {
namespace {

[[noreturn]] void Throw(sqlite3* db, int code) {
    const char* detail = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw Error(code, detail != nullptr ? detail : "SQLite error");
}

void Check(sqlite3* db, int code) {
    if (code != SQLITE_OK) {
        Throw(db, code);
    }
}

// A file URI for `path`: every byte outside the unreserved set and "/" is
// escaped, so that no "?" or "#" in a folder's name reads as a parameter.
std::string FileUri(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (plain || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0xF];
        }
    }
    return uri;
}

} // namespace

bool Error::IsBusy() const {
    const int primary = code_ & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool Error::IsCorrupt() const {
    const int primary = code_ & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

void Database::Closer::operator()(sqlite3* db) const {
    // Statements are finalised before their connection goes, so this closes.
    sqlite3_close_v2(db);
}

Database::Database(const std::string& path, Access access) {
    sqlite3* db = nullptr;
    int code = SQLITE_OK;
    switch (access) {
    case Access::ReadWrite:
        code = sqlite3_open_v2(path.c_str(), &db,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, nullptr);
        break;
    case Access::ReadOnly:
        code = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        break;
    case Access::ReadOnlyIdle:
        code = sqlite3_open_v2((FileUri(path) + "?immutable=1").c_str(), &db,
                               SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        break;
    }
    db_.reset(db); // even a failed open hands back a handle to close
    if (code != SQLITE_OK) {
        Throw(db, code);
    }
    sqlite3_extended_result_codes(db, 1);
}

void Database::Execute(const std::string& sql) {
    Check(db_.get(), sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr));
}

Statement Database::Prepare(std::string_view sql) {
    return Statement(db_.get(), sql);
}

void Database::SetBusyTimeout(int milliseconds) {
    Check(db_.get(), sqlite3_busy_timeout(db_.get(), milliseconds));
}

bool Database::IsWritable() const {
    return sqlite3_db_readonly(db_.get(), "main") == 0;
}

std::int64_t Database::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_.get());
}

void Database::SetCheckpointOnClose(bool checkpoint) {
    Check(db_.get(),
          sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, checkpoint ? 0 : 1, nullptr));
}

void Statement::Finalizer::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    sqlite3_stmt* statement = nullptr;
    Check(db, sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr));
    statement_.reset(statement);
}

Statement& Statement::Bind(int index, std::int64_t value) {
    Check(db_, sqlite3_bind_int64(statement_.get(), index, value));
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    Check(db_, sqlite3_bind_text64(statement_.get(), index, text.data(), text.size(), SQLITE_TRANSIENT,
                                   SQLITE_UTF8));
    return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
    // A zero-length blob would bind as NULL through a null data pointer.
    static constexpr char kNothing = 0;
    const char* data = bytes.empty() ? &kNothing : bytes.data();
    Check(db_, sqlite3_bind_blob64(statement_.get(), index, data, bytes.size(), SQLITE_TRANSIENT));
    return *this;
}

Statement& Statement::Bind(const char* name, std::int64_t value) {
    const int index = sqlite3_bind_parameter_index(statement_.get(), name);
    if (index == 0) {
        throw Error(SQLITE_RANGE, std::string("no parameter ") + name);
    }
    return Bind(index, value);
}

bool Statement::Step() {
    const int code = sqlite3_step(statement_.get());
    if (code == SQLITE_ROW) {
        return true;
    }
    if (code == SQLITE_DONE) {
        return false;
    }
    Throw(db_, code);
}

void Statement::Run() {
    while (Step()) {
    }
}

void Statement::Reset() {
    sqlite3_reset(statement_.get());
    sqlite3_clear_bindings(statement_.get());
}

std::int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(statement_.get(), column);
}

std::string Statement::Text(int column) const {
    const auto* text = sqlite3_column_text(statement_.get(), column);
    const int size = sqlite3_column_bytes(statement_.get(), column);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                           : std::string();
}

std::string Statement::Blob(int column) const {
    const void* data = sqlite3_column_blob(statement_.get(), column);
    const int size = sqlite3_column_bytes(statement_.get(), column);
    return data != nullptr ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size))
                           : std::string();
}

Transaction::Transaction(Database& db) : db_(db) {
    db_.Execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (open_) {
        // Nothing to do when it fails: SQLite has rolled back already.
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Transaction::Commit() {
    db_.Execute("COMMIT");
    open_ = false;
}

} // namespace velmora::sqlite
