// A thin RAII layer over SQLite: a database connection, statements prepared once and reset after
// each use, explicit transactions. Every error becomes a SqliteError carrying SQLite's message.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "BusyWait.h"

namespace store {

class SqliteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Database {
public:
    // Opens (creating when missing) the database file.
    explicit Database(const std::string& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* Handle() const { return m_db; }
    // Runs one or more statements that return no rows.
    void Exec(std::string_view sql);
    // The first column of the first row of a statement, as an integer.
    std::int64_t QueryInt(std::string_view sql);
    // Throws SqliteError with the connection's message when `code` is not one of the accepted ones.
    void Check(int code, std::string_view what) const;
    // How a transaction waits for the write lock; by default, about ten seconds in all.
    void SetBusyWait(BusyWait wait) { m_busyWait = std::move(wait); }
    bool WaitAfterBusy(int tries) const { return m_busyWait(tries); }

private:
    sqlite3* m_db = nullptr;
    BusyWait m_busyWait;
};

// A prepared statement. Bind parameters are numbered from 1, columns from 0.
class Statement {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, std::int64_t value);
    Statement& Bind(int index, std::string_view text);
    Statement& Bind(int index, std::span<const unsigned char> blob);
    Statement& BindNull(int index);
    // Steps once: true when a row is ready, false when the statement is done.
    bool Step();
    // Steps to the end (a statement without rows), then resets.
    void Run();
    // Clears the bindings and rewinds, ready for the next use.
    void Reset();

    int ColumnCount() const { return sqlite3_column_count(m_stmt); }
    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    std::vector<unsigned char> Blob(int column) const;

private:
    Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// BEGIN IMMEDIATE on construction, tried again while another connection holds the write lock and
// the database's BusyWait says so; Commit() makes it durable; a transaction left without Commit
// (an exception) is rolled back.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    Database& m_db;
    bool m_done = false;
};

// BEGIN on construction, its end on destruction: the reads between see the database as it stood at
// the first of them, whatever other connections commit meanwhile.
class ReadTransaction {
public:
    explicit ReadTransaction(Database& db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    Database& m_db;
};

}  // namespace store
