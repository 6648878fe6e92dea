#include "Postgres.h"

#include <algorithm>
#include <charconv>

namespace store::pg {

namespace {

constexpr int kTextFormat = 0;
constexpr int kBinaryFormat = 1;
// Statements of a pipeline sent before their results are read.
constexpr std::size_t kPipelineRun = 1024;

}  // namespace

Params& Params::Int(std::int64_t value) {
    m_values.push_back(std::to_string(value));
    m_null.push_back(false);
    m_lengths.push_back(0);
    m_formats.push_back(kTextFormat);
    return *this;
}

Params& Params::Text(std::string_view value) {
    m_values.emplace_back(value);
    m_null.push_back(false);
    m_lengths.push_back(0);
    m_formats.push_back(kTextFormat);
    return *this;
}

Params& Params::TextArray(std::span<const std::string> values) {
    std::string array = "{";
    for (const std::string& value : values) {
        if (value.find('\0') != std::string::npos) {
            throw std::invalid_argument("a NUL byte in a text of an array");
        }
        array += array.size() > 1 ? ",\"" : "\"";
        for (const char c : value) {
            if (c == '"' || c == '\\') {
                array += '\\';
            }
            array += c;
        }
        array += '"';
    }
    return Text(array + "}");
}

Params& Params::Bytes(std::span<const unsigned char> value) {
    m_values.emplace_back(reinterpret_cast<const char*>(value.data()), value.size());
    m_null.push_back(false);
    m_lengths.push_back(static_cast<int>(value.size()));
    m_formats.push_back(kBinaryFormat);
    return *this;
}

Params& Params::Null() {
    m_values.emplace_back();
    m_null.push_back(true);
    m_lengths.push_back(0);
    m_formats.push_back(kTextFormat);
    return *this;
}

std::vector<const char*> Params::Values() const {
    std::vector<const char*> values;
    values.reserve(m_values.size());
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        values.push_back(m_null[i] ? nullptr : m_values[i].data());
    }
    return values;
}

std::int64_t Result::Int(int row, int column) const {
    const char* text = PQgetvalue(m_result.get(), row, column);
    const char* end = text + PQgetlength(m_result.get(), row, column);
    std::int64_t value = 0;
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end) {
        throw PgError("not an integer in column " + std::to_string(column) + ": " + std::string(text, end),
                      false);
    }
    return value;
}

std::string Result::Text(int row, int column) const {
    return {PQgetvalue(m_result.get(), row, column),
            static_cast<std::size_t>(PQgetlength(m_result.get(), row, column))};
}

std::vector<unsigned char> Result::Bytes(int row, int column) const {
    if (IsNull(row, column)) {
        return {};
    }
    std::size_t length = 0;
    unsigned char* bytes = PQunescapeBytea(
        reinterpret_cast<const unsigned char*>(PQgetvalue(m_result.get(), row, column)), &length);
    if (bytes == nullptr) {
        throw PgError("cannot read a byte string", false);
    }
    std::vector<unsigned char> out(bytes, bytes + length);
    PQfreemem(bytes);
    return out;
}

std::int64_t Result::Affected() const {
    const char* rows = PQcmdTuples(m_result.get());
    std::int64_t value = 0;
    std::from_chars(rows, rows + std::char_traits<char>::length(rows), value);
    return value;
}

Connection::Connection(std::string conninfo) : m_conninfo(std::move(conninfo)) {
    try {
        Open();
    } catch (...) {
        // No destructor runs for an object whose constructor throws.
        PQfinish(m_conn);
        throw;
    }
}

Connection::~Connection() {
    PQfinish(m_conn);
}

void Connection::Open() {
    {
        const std::lock_guard lock(m_cancelMutex);
        m_cancel.reset();
    }
    PQfinish(m_conn);
    m_conn = PQconnectdb(m_conninfo.c_str());
    if (PQstatus(m_conn) != CONNECTION_OK) {
        Fail("cannot connect to PostgreSQL");
    }
    {
        const std::lock_guard lock(m_cancelMutex);
        m_cancel.reset(PQgetCancel(m_conn));
    }
    if (PQsetClientEncoding(m_conn, "UTF8") != 0) {
        Fail("cannot speak UTF-8 with PostgreSQL");
    }
    // Notices ("already exists, skipping") are not for the server's log; warnings are.
    Expect(PQexec(m_conn, "SET client_min_messages TO warning"), PGRES_COMMAND_OK, "client_min_messages");
    for (const auto& [name, sql] : m_prepared) {
        Expect(PQprepare(m_conn, name.c_str(), sql.c_str(), 0, nullptr), PGRES_COMMAND_OK, name);
    }
}

void Connection::Cancel() {
    const std::lock_guard lock(m_cancelMutex);
    char error[256];
    if (m_cancel) {
        PQcancel(m_cancel.get(), error, sizeof error);
    }
}

void Connection::Reconnect() {
    Open();
}

bool Connection::Broken() const {
    return PQstatus(m_conn) != CONNECTION_OK;
}

void Connection::Exec(std::string_view sql) {
    const std::string text(sql);
    PGresult* result = PQexec(m_conn, text.c_str());
    const ExecStatusType status = PQresultStatus(result);
    Expect(result, status == PGRES_TUPLES_OK ? PGRES_TUPLES_OK : PGRES_COMMAND_OK, text);
}

Result Connection::Query(std::string_view sql, const Params& params) {
    const std::string text(sql);
    const std::vector<const char*> values = params.Values();
    PGresult* result = PQexecParams(m_conn, text.c_str(), params.Count(), nullptr, values.data(),
                                    params.Lengths(), params.Formats(), kTextFormat);
    const ExecStatusType status = PQresultStatus(result);
    return Expect(result, status == PGRES_COMMAND_OK ? PGRES_COMMAND_OK : PGRES_TUPLES_OK, text);
}

void Connection::Prepare(const std::string& name, std::string_view sql) {
    const std::string text(sql);
    Expect(PQprepare(m_conn, name.c_str(), text.c_str(), 0, nullptr), PGRES_COMMAND_OK, name);
    m_prepared[name] = text;
}

Result Connection::Run(const std::string& name, const Params& params) {
    const std::vector<const char*> values = params.Values();
    PGresult* result = PQexecPrepared(m_conn, name.c_str(), params.Count(), values.data(), params.Lengths(),
                                      params.Formats(), kTextFormat);
    const ExecStatusType status = PQresultStatus(result);
    return Expect(result, status == PGRES_COMMAND_OK ? PGRES_COMMAND_OK : PGRES_TUPLES_OK, name);
}

std::vector<Result> Connection::Pipeline(const std::vector<Queued>& statements) {
    if (PQenterPipelineMode(m_conn) != 1) {
        Fail("cannot enter pipeline mode");
    }
    std::vector<Result> results;
    results.reserve(statements.size());
    std::string firstError;
    std::string firstState;
    // Runs of statements, each read back before the next is sent, so that the results the server
    // writes never fill the socket while this side is still sending.
    for (std::size_t start = 0; start < statements.size(); start += kPipelineRun) {
        const std::size_t end = std::min(statements.size(), start + kPipelineRun);
        for (std::size_t i = start; i < end; ++i) {
            const Queued& statement = statements[i];
            const std::vector<const char*> values = statement.params.Values();
            const int sent =
                statement.prepared
                    ? PQsendQueryPrepared(m_conn, statement.name.c_str(), statement.params.Count(),
                                          values.data(), statement.params.Lengths(),
                                          statement.params.Formats(), kTextFormat)
                    : PQsendQueryParams(m_conn, statement.name.c_str(), 0, nullptr, nullptr, nullptr, nullptr,
                                        kTextFormat);
            if (sent != 1) {
                Fail("cannot send " + statement.name);
            }
        }
        if (PQpipelineSync(m_conn) != 1) {
            Fail("cannot send the pipeline");
        }
        for (std::size_t i = start; i < end; ++i) {
            PGresult* raw = PQgetResult(m_conn);
            if (raw == nullptr) {
                Fail("the connection ended inside a pipeline");
            }
            Result result(raw);
            if (PQresultStatus(raw) == PGRES_FATAL_ERROR && firstError.empty()) {
                firstError = statements[i].name + ": " + PQresultErrorMessage(raw);
                const char* state = PQresultErrorField(raw, PG_DIAG_SQLSTATE);
                firstState = state != nullptr ? state : "";
            }
            results.push_back(std::move(result));
            // Each statement's results end with a null.
            while (PGresult* extra = PQgetResult(m_conn)) {
                PQclear(extra);
            }
        }
        const Result sync(PQgetResult(m_conn));
        if (sync.Status() != PGRES_PIPELINE_SYNC) {
            Fail("the pipeline did not end");
        }
    }
    if (PQexitPipelineMode(m_conn) != 1) {
        Fail("the pipeline did not end");
    }
    if (!firstError.empty()) {
        if (PQtransactionStatus(m_conn) == PQTRANS_INERROR ||
            PQtransactionStatus(m_conn) == PQTRANS_INTRANS) {
            Exec("ROLLBACK");
        }
        throw PgError(firstError, Broken(), firstState);
    }
    return results;
}

std::string Connection::Setting(std::string_view name) {
    return Query("SELECT current_setting($1)", Params().Text(name)).Text(0, 0);
}

Result Connection::Expect(PGresult* raw, ExecStatusType wanted, std::string_view what) const {
    Result result(raw);
    if (raw == nullptr || PQresultStatus(raw) != wanted) {
        Fail(what, raw);
    }
    return result;
}

void Connection::Fail(std::string_view what, const PGresult* result) const {
    std::string message = std::string(what) + ": ";
    std::string state;
    if (result != nullptr && PQresultErrorMessage(result)[0] != '\0') {
        message += PQresultErrorMessage(result);
        const char* code = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        state = code != nullptr ? code : "";
    } else {
        message += PQerrorMessage(m_conn);
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    throw PgError(message, Broken(), state);
}

}  // namespace store::pg
