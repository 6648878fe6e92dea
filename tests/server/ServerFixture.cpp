#include "ServerFixture.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <thread>

#include "PgCluster.h"
#include "Postgres.h"
#include "Sqlite.h"
#include "Store.h"

namespace server::test {

namespace {

// On PostgreSQL, every test is skipped when the run has no cluster.
class StoreEnvironment : public testing::Environment {
public:
    void SetUp() override {
        std::string why;
        if (OnPostgres() && PgCluster::Shared(&why) == nullptr) {
            GTEST_SKIP() << why;
        }
    }
};
// The framework owns its environments.
[[maybe_unused]] testing::Environment* const kStoreEnvironment =
    testing::AddGlobalTestEnvironment(new StoreEnvironment);

std::string NewDatabase(const std::string& dir) {
    return OnPostgres() ? PgCluster::Shared()->NewDatabase() : dir + "/chamber.db";
}

}  // namespace

bool OnPostgres() {
    const char* db = std::getenv("ODC_TEST_DB");
    return db != nullptr && std::string_view(db).starts_with("postgresql");
}

ServerProcess::ServerProcess(std::string db)
    : m_dir(sim::test::MakeTempDir()), m_db(db.empty() ? NewDatabase(m_dir) : std::move(db)) {}

std::string ServerProcess::Log() const {
    return sim::test::ReadText(m_dir + "/server-" + std::to_string(m_runs) + ".log");
}

bool ServerProcess::LogSays(const std::string& text, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Log().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

bool ServerProcess::Start(const std::vector<std::string>& extra, const std::vector<std::string>& wrapper) {
    Launch(extra, wrapper);
    return Listening(10s);
}

void ServerProcess::Launch(const std::vector<std::string>& extra, const std::vector<std::string>& wrapper) {
    std::vector<std::string> argv = wrapper;
    for (const char* word : {ODC_SERVER_BINARY, "--db", m_db.c_str(), "--listen", "127.0.0.1:0"}) {
        argv.push_back(word);
    }
    // The suite runs twice: with the game thread on the sockets, and with ODC_TEST_IO_THREADS
    // threads of their own.
    if (const char* threads = std::getenv("ODC_TEST_IO_THREADS")) {
        argv.insert(argv.end(), {"--io-threads", threads});
    }
    argv.insert(argv.end(), extra.begin(), extra.end());
    ++m_runs;
    const std::string log = m_dir + "/server-" + std::to_string(m_runs) + ".log";
    m_process = std::make_unique<sim::test::ChildProcess>(argv, std::vector<std::string>{}, log);
    m_exit.reset();
    m_port = 0;
}

bool ServerProcess::Listening(std::chrono::milliseconds timeout) {
    const std::string log = m_dir + "/server-" + std::to_string(m_runs) + ".log";
    for (const auto deadline = std::chrono::steady_clock::now() + timeout;
         std::chrono::steady_clock::now() < deadline;) {
        if (const std::optional<unsigned short> port = odc::WaitForListening(log, 50ms)) {
            m_port = *port;
            return true;
        }
        if ((m_exit = m_process->Wait(0ms))) {
            break;
        }
    }
    m_port = 0;
    return false;
}

bool ServerProcess::Stop() {
    m_process->Signal(SIGTERM);
    return m_process->Wait(10s) == 0;
}

void ServerProcess::Signal(int signal) {
    m_process->Signal(signal);
}

void ServerProcess::Kill() {
    m_process->Signal(SIGKILL);
    m_process->Wait(10s);
}

std::optional<int> ServerProcess::Exited(std::chrono::milliseconds timeout) {
    return m_exit ? m_exit : m_process->Wait(timeout);
}

std::string ServerProcess::RunPlayers(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {ODC_SERVER_BINARY, "--db", m_db, "players"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const std::string output = m_dir + "/players.out";
    sim::test::ChildProcess process(argv, {}, output);
    if (process.Wait(10s) != 0) {
        return {};
    }
    std::smatch match;
    const std::string text = sim::test::ReadText(output);
    const std::regex token(R"((^|\n)([0-9a-f]{64})\n)");
    return std::regex_search(text, match, token) ? match[2].str() : std::string();
}

std::string ServerProcess::AddPlayer(const std::string& name, const std::vector<std::string>& extra) {
    std::vector<std::string> arguments = {"add", name};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunPlayers(arguments);
}

std::string ServerProcess::NewToken(const std::string& name) {
    return RunPlayers({"token", name});
}

RawClient::RawClient(unsigned short port, const char* from) {
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, from, &address.sin_addr);
    const bool bound = bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!bound || connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(m_fd);
        m_fd = -1;
        return;
    }
    const int one = 1;
    setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

DeadPort::DeadPort() : m_fd(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(m_fd, reinterpret_cast<const sockaddr*>(&address), size) == 0 &&
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        m_port = ntohs(address.sin_port);
    }
}

DeadPort::~DeadPort() {
    close(m_fd);
}

RawClient::~RawClient() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

void RawClient::SendBytes(std::span<const char> bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
}

void RawClient::Send(int id, const CKParam& packet) {
    SendBytes(Frames(id, packet));
}

std::optional<wire::Frame> RawClient::Next(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    wire::Frame frame;
    while (m_reader.Next(frame) != wire::FrameReader::Status::Ready) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{m_fd, POLLIN, 0};
        if (m_closed || left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
        const std::span<char> room = m_reader.Prepare(64 * 1024);
        const ssize_t n = recv(m_fd, room.data(), room.size(), 0);
        if (n <= 0) {
            m_closed = true;
            return std::nullopt;
        }
        m_reader.Commit(static_cast<std::size_t>(n));
    }
    return frame;
}

std::optional<wire::Frame> RawClient::NextWith(int id, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::optional<wire::Frame> frame = Next(std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()));
        if (!frame || frame->id == id) {
            return frame;
        }
    }
    return std::nullopt;
}

wire::LoginResult RawClient::Login(const std::string& name, const std::string& token) {
    Send(wire::kLogin, wire::MakeLogin({name, token}));
    const std::optional<wire::Frame> answer = NextWith(wire::kLoginResult);
    if (!answer) {
        wire::LoginResult none;
        none.reason = "no answer";
        return none;
    }
    return wire::ReadLoginResult(PacketOf(*answer));
}

bool RawClient::ClosedByServer(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_closed && std::chrono::steady_clock::now() < deadline) {
        Next(std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                   std::chrono::steady_clock::now()));
    }
    return m_closed;
}

namespace {

// The rows of a query as text, a line each, columns ended by '|'.
std::string Rows(const std::string& db, const std::string& sql) {
    std::string text;
    if (store::IsPostgres(db)) {
        const store::pg::Result rows = store::pg::Connection(db).Query(sql);
        for (int row = 0; row < rows.Rows(); ++row) {
            for (int column = 0; column < rows.Columns(); ++column) {
                text += rows.Text(row, column) + "|";
            }
            text += "\n";
        }
        return text;
    }
    store::Database database(db);
    store::Statement rows(database, sql);
    while (rows.Step()) {
        for (int column = 0; column < rows.ColumnCount(); ++column) {
            text += rows.Text(column) + "|";
        }
        text += "\n";
    }
    return text;
}

}  // namespace

std::string DumpWorld(const std::string& db) {
    std::string dump;
    // The clock moves on by itself, the counts of batches and tokens are PostgreSQL's alone, and tokens are
    // what logins check.
    for (const char* query :
         {"SELECT * FROM meta WHERE key NOT IN ('now', 'batch_seq', 'token_epoch')",
          "SELECT id, name, kingdom, coins, ballots FROM players", "SELECT * FROM posts",
          "SELECT * FROM applications", "SELECT * FROM mutes_used", "SELECT * FROM muted"}) {
        dump += std::string(query) + ":\n" + Rows(db, std::string(query) + " ORDER BY 1, 2");
    }
    return dump;
}

std::int64_t QueryInt(const std::string& db, const std::string& sql) {
    const std::string rows = Rows(db, sql);
    return std::stoll(rows.substr(0, rows.find('|')));
}

void Exec(const std::string& db, const std::string& sql) {
    if (store::IsPostgres(db)) {
        store::pg::Connection(db).Exec(sql);
    } else {
        store::Database(db).Exec(sql);
    }
}

struct WriteLock::Held {
    std::unique_ptr<store::Database> sqlite;
    std::unique_ptr<store::pg::Connection> postgres;
};

WriteLock::WriteLock(const std::string& db) : m_held(std::make_unique<Held>()) {
    if (store::IsPostgres(db)) {
        m_held->postgres = std::make_unique<store::pg::Connection>(db);
        m_held->postgres->Exec("BEGIN; LOCK TABLE meta IN EXCLUSIVE MODE");
    } else {
        m_held->sqlite = std::make_unique<store::Database>(db);
        m_held->sqlite->Exec("BEGIN IMMEDIATE");
    }
}

WriteLock::~WriteLock() {
    if (m_held->postgres) {
        m_held->postgres->Exec("COMMIT");
    } else {
        m_held->sqlite->Exec("COMMIT");
    }
}

CKParam PacketOf(const wire::Frame& frame) {
    CKParam packet;
    packet.SetBufferPtr(frame.image.data(), static_cast<int>(frame.image.size()));
    return packet;
}

std::vector<char> Frames(int id, const CKParam& packet, int times) {
    const std::vector<char> frame =
        wire::EncodeFrame(id, {packet.GetBufferPtr(), static_cast<std::size_t>(packet.GetLength())});
    std::vector<char> bytes;
    for (int i = 0; i < times; ++i) {
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    return bytes;
}

}  // namespace server::test
