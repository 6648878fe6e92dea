// A thin RAII layer over libpq: a connection, statements prepared once by name and prepared again
// after a reconnection, parameters always bound (never spliced into the text of a statement), and
// pipelines that send a transaction's statements and its commit in one round trip. Every error
// becomes a PgError carrying PostgreSQL's message.
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace store::pg {

class PgError : public std::runtime_error {
public:
    PgError(const std::string& what, bool connectionLost, std::string sqlState = {})
        : std::runtime_error(what), m_connectionLost(connectionLost), m_sqlState(std::move(sqlState)) {}
    // True when the connection broke: what was in flight may or may not have been committed.
    bool ConnectionLost() const { return m_connectionLost; }
    // The five-character SQLSTATE of a statement's error ("40001" …); empty for other errors.
    const std::string& SqlState() const { return m_sqlState; }

private:
    bool m_connectionLost;
    std::string m_sqlState;
};

// One statement's parameters, in the order of $1, $2 …: integers and texts in text form, byte
// strings in binary form.
class Params {
public:
    Params& Int(std::int64_t value);
    Params& Text(std::string_view value);
    Params& Bytes(std::span<const unsigned char> value);
    // A text[] in PostgreSQL's array form. A text holds no NUL byte: throws std::invalid_argument
    // for a value with one.
    Params& TextArray(std::span<const std::string> values);
    Params& Null();

    int Count() const { return static_cast<int>(m_values.size()); }
    // Pointers into this object, valid while it lives unchanged.
    std::vector<const char*> Values() const;
    const int* Lengths() const { return m_lengths.data(); }
    const int* Formats() const { return m_formats.data(); }

private:
    std::vector<std::string> m_values;
    std::vector<bool> m_null;
    std::vector<int> m_lengths;
    std::vector<int> m_formats;
};

// The rows of one statement. Columns in text form; byte strings unescaped.
class Result {
public:
    explicit Result(PGresult* result) : m_result(result, &PQclear) {}

    ExecStatusType Status() const { return PQresultStatus(m_result.get()); }
    int Rows() const { return PQntuples(m_result.get()); }
    int Columns() const { return PQnfields(m_result.get()); }
    bool IsNull(int row, int column) const { return PQgetisnull(m_result.get(), row, column) != 0; }
    std::int64_t Int(int row, int column) const;
    std::string Text(int row, int column) const;
    std::vector<unsigned char> Bytes(int row, int column) const;
    // Rows changed by an INSERT, UPDATE or DELETE.
    std::int64_t Affected() const;

private:
    std::unique_ptr<PGresult, decltype(&PQclear)> m_result;
};

// One statement of a pipeline: a prepared statement's name, or the text of a statement without
// parameters (BEGIN, COMMIT …) when `prepared` is false.
struct Queued {
    std::string name;
    Params params;
    bool prepared = true;
};

class Connection {
public:
    // Connects with a libpq connection string or URI; throws PgError.
    explicit Connection(std::string conninfo);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs statements without parameters (the simple protocol: one or more, no rows wanted).
    void Exec(std::string_view sql);
    // Runs one statement with parameters, unprepared.
    Result Query(std::string_view sql, const Params& params = {});
    // Prepares a statement under a name, now and after every reconnection.
    void Prepare(const std::string& name, std::string_view sql);
    Result Run(const std::string& name, const Params& params = {});
    // Sends every statement, then reads every result: one round trip for up to 1024 statements. The
    // first error throws once all results are read; a transaction the pipeline opened is then
    // rolled back.
    std::vector<Result> Pipeline(const std::vector<Queued>& statements);

    // From any thread: asks the server to end the statement running now (one that waits for a lock
    // or a synchronous standby); it then fails, or a COMMIT may end as committed here only.
    void Cancel();
    // Whether the connection is broken; Reconnect opens it again and prepares every statement.
    bool Broken() const;
    void Reconnect();
    // A server setting as SHOW gives it ("on" …).
    std::string Setting(std::string_view name);

private:
    void Open();
    // Throws PgError unless the result has the expected status; takes ownership either way.
    Result Expect(PGresult* raw, ExecStatusType wanted, std::string_view what) const;
    [[noreturn]] void Fail(std::string_view what, const PGresult* result = nullptr) const;

    std::string m_conninfo;
    PGconn* m_conn = nullptr;
    std::map<std::string, std::string> m_prepared;  // name -> statement
    std::mutex m_cancelMutex;                       // guards m_cancel, which Cancel uses from any thread
    std::unique_ptr<PGcancel, decltype(&PQfreeCancel)> m_cancel{nullptr, &PQfreeCancel};
};

}  // namespace store::pg
