#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace velmora::sqlite {

// A failed SQLite call, with SQLite's primary result code so that callers can
// tell a busy or corrupt database from any other failure.
class Error : public std::runtime_error {
public:
    Error(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
    int code() const { return code_; }
    bool IsBusy() const;
    bool IsCorrupt() const;

private:
    int code_;
};

class Statement;

// One open connection, closed when the object goes.
class Database {
public:
    enum class Access {
        ReadWrite,
        ReadOnly,
        // Reading a file that no connection is writing now: SQLite then takes
        // no locks and creates no journal files beside it.
        ReadOnlyIdle,
    };

    // Opens the database file at `path` for reading and writing, creating it
    // when missing (never through a link: writers pass the resolved file); or,
    // for reading only, an existing file, which is never changed.
    explicit Database(const std::string& path, Access access = Access::ReadWrite);

    void Execute(const std::string& sql);
    Statement Prepare(std::string_view sql);
    void SetBusyTimeout(int milliseconds);
    // False when SQLite fell back to reading only, e.g. for a write-protected file.
    bool IsWritable() const;
    std::int64_t LastInsertId() const;
    // Whether closing folds the write-ahead log back into the file (SQLite's
    // default); off while a file is not yet known to be sound, so that a
    // broken one is put aside as it was found.
    void SetCheckpointOnClose(bool checkpoint);

    sqlite3* handle() const { return db_.get(); }

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Closer> db_;
};

// A prepared statement, finalised when the object goes.
class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);

    // Parameters are numbered from 1, as in SQLite.
    Statement& Bind(int index, std::int64_t value);
    Statement& Bind(int index, std::string_view text);
    Statement& BindBlob(int index, std::string_view bytes);
    // A named parameter (":name"); for a clause shared by several statements.
    Statement& Bind(const char* name, std::int64_t value);

    // True while a row is there to read; false once the statement is done.
    bool Step();
    // Runs a statement that returns no rows.
    void Run();
    void Reset();

    // Columns are numbered from 0, as in SQLite.
    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    std::string Blob(int column) const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* statement) const;
    };
    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
};

// A write transaction taken at once (BEGIN IMMEDIATE), so that a check and
// the write that depends on it see the same database; rolled back unless
// committed.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();

private:
    Database& db_;
    bool open_ = true;
};

} // namespace velmora::sqlite
