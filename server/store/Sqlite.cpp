#include "Sqlite.h"

namespace store {

namespace {

// SQLite's own wait for a lock, before a BusyWait is asked.
constexpr int kBusyTimeoutMs = 200;

// The default BusyWait: 50 tries, each after SQLite's own wait.
bool WaitAWhile(int tries) {
    return tries < 50;
}

}  // namespace

Database::Database(const std::string& path) {
    const int code = sqlite3_open_v2(
        path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        const std::string message = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
        sqlite3_close(m_db);
        throw SqliteError("cannot open " + path + ": " + message);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    m_busyWait = WaitAWhile;
}

Database::~Database() {
    sqlite3_close(m_db);
}

void Database::Check(int code, std::string_view what) const {
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE) {
        throw SqliteError(std::string(what) + ": " + sqlite3_errmsg(m_db));
    }
}

void Database::Exec(std::string_view sql) {
    char* message = nullptr;
    const int code = sqlite3_exec(m_db, std::string(sql).c_str(), nullptr, nullptr, &message);
    if (code != SQLITE_OK) {
        const std::string text = message != nullptr ? message : sqlite3_errstr(code);
        sqlite3_free(message);
        throw SqliteError(std::string(sql.substr(0, 60)) + ": " + text);
    }
}

std::int64_t Database::QueryInt(std::string_view sql) {
    Statement statement(*this, sql);
    return statement.Step() ? statement.Int(0) : 0;
}

Statement::Statement(Database& db, std::string_view sql) : m_db(db) {
    db.Check(sqlite3_prepare_v3(db.Handle(), sql.data(), static_cast<int>(sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr),
             sql.substr(0, 60));
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

Statement& Statement::Bind(int index, std::int64_t value) {
    m_db.Check(sqlite3_bind_int64(m_stmt, index, value), "bind");
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    m_db.Check(sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT),
               "bind");
    return *this;
}

Statement& Statement::Bind(int index, std::span<const unsigned char> blob) {
    m_db.Check(sqlite3_bind_blob(m_stmt, index, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT),
               "bind");
    return *this;
}

Statement& Statement::BindNull(int index) {
    m_db.Check(sqlite3_bind_null(m_stmt, index), "bind");
    return *this;
}

bool Statement::Step() {
    const int code = sqlite3_step(m_stmt);
    if (code != SQLITE_ROW) {
        // A failed step is reported by reset too; rewind so that the statement can be used again.
        sqlite3_reset(m_stmt);
    }
    m_db.Check(code, sqlite3_sql(m_stmt));
    return code == SQLITE_ROW;
}

void Statement::Run() {
    while (Step()) {
    }
    Reset();
}

void Statement::Reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

std::int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

std::string Statement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return text != nullptr ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                           : std::string();
}

std::vector<unsigned char> Statement::Blob(int column) const {
    const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(m_stmt, column));
    return bytes != nullptr ? std::vector<unsigned char>(bytes, bytes + sqlite3_column_bytes(m_stmt, column))
                            : std::vector<unsigned char>();
}

Transaction::Transaction(Database& db) : m_db(db) {
    for (int tries = 1;; ++tries) {
        const int code = sqlite3_exec(m_db.Handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if ((code & 0xFF) != SQLITE_BUSY || !m_db.WaitAfterBusy(tries)) {
            m_db.Check(code, "BEGIN IMMEDIATE");
            return;
        }
    }
}

Transaction::~Transaction() {
    if (!m_done) {
        sqlite3_exec(m_db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Transaction::Commit() {
    m_db.Exec("COMMIT");
    m_done = true;
}

ReadTransaction::ReadTransaction(Database& db) : m_db(db) {
    m_db.Exec("BEGIN");
}

ReadTransaction::~ReadTransaction() {
    sqlite3_exec(m_db.Handle(), "COMMIT", nullptr, nullptr, nullptr);
}

}  // namespace store
