// What the server's end-to-end tests share: chamber-server started on a fresh database on a free
// loopback port, players added through its command line, a raw client that writes frames itself,
// and a dump of the store to compare. The database is a SQLite file, or with
// ODC_TEST_DB=postgresql:DIR a new database of the run's PostgreSQL cluster (every test skips when
// there is none).
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Frame.h"
#include "NetMessages.h"
#include "SimProcess.h"
#include "param/CKParam.h"

namespace server::test {

using namespace std::chrono_literals;

class ServerProcess {
public:
    // A fresh database (or `db`), and a folder of its own for the logs; the server is not started
    // yet.
    explicit ServerProcess(std::string db = {});
    // Starts chamber-server with `extra` arguments, through `wrapper` when there is one (a program
    // and its arguments that run the server, such as prlimit); false when it does not listen
    // within 10 s.
    bool Start(const std::vector<std::string>& extra = {}, const std::vector<std::string>& wrapper = {});
    // Starts it without waiting (a standby listens only once it serves).
    void Launch(const std::vector<std::string>& extra = {}, const std::vector<std::string>& wrapper = {});
    // Whether it listens within `timeout` (false at once when it has exited).
    bool Listening(std::chrono::milliseconds timeout);
    // SIGSTOP or SIGCONT.
    void Signal(int signal);
    // SIGTERM (and waits for a clean exit) or SIGKILL.
    bool Stop();
    void Kill();
    // The exit code once the server has stopped by itself, or nothing after `timeout`.
    std::optional<int> Exited(std::chrono::milliseconds timeout);
    // Adds a player through `chamber-server players add`; returns the token.
    std::string AddPlayer(const std::string& name, const std::vector<std::string>& extra = {});
    // A new token for a player of the starting world (`players token`).
    std::string NewToken(const std::string& name);

    unsigned short Port() const { return m_port; }
    const std::string& Dir() const { return m_dir; }
    const std::string& DbPath() const { return m_db; }
    std::string Log() const;
    // Waits until the server's log holds `text` (it writes a line after the event it tells of).
    bool LogSays(const std::string& text, std::chrono::milliseconds timeout = 10s) const;

private:
    std::string RunPlayers(const std::vector<std::string>& arguments);

    std::string m_dir;
    std::string m_db;
    int m_runs = 0;
    std::unique_ptr<sim::test::ChildProcess> m_process;
    std::optional<int> m_exit;  // when it stopped before it listened
    unsigned short m_port = 0;
};

// A client that is not the module: it writes and reads frames itself, on a blocking socket. Its
// address may be any of loopback's (127.0.0.2 is another host to the server).
class RawClient {
public:
    explicit RawClient(unsigned short port, const char* from = "127.0.0.1");
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return m_fd >= 0; }
    void Send(int id, const CKParam& packet);
    void SendBytes(std::span<const char> bytes);
    // The next frame; empty after `timeout` or when the server closed the connection.
    std::optional<wire::Frame> Next(std::chrono::milliseconds timeout = 5s);
    // Frames are skipped until one with `id`.
    std::optional<wire::Frame> NextWith(int id, std::chrono::milliseconds timeout = 5s);
    wire::LoginResult Login(const std::string& name, const std::string& token);
    // Opens or closes the Chamber: an open one is sent the tables.
    void Open(bool open = true) { Send(wire::kInterest, wire::MakeInterest(open)); }
    // Whether the server closes the connection within `timeout`.
    bool ClosedByServer(std::chrono::milliseconds timeout = 5s);

private:
    int m_fd = -1;
    bool m_closed = false;
    wire::FrameReader m_reader;
};

// A loopback port that is bound and never listened on: a connection to it is refused while it lives.
class DeadPort {
public:
    DeadPort();
    ~DeadPort();
    DeadPort(const DeadPort&) = delete;
    DeadPort& operator=(const DeadPort&) = delete;

    unsigned short Port() const { return m_port; }

private:
    int m_fd = -1;
    unsigned short m_port = 0;
};

// Whether the tests run on PostgreSQL.
bool OnPostgres();
// Every row of every table of the store but the ledger and the clock (which moves on by itself),
// as text, for comparisons.
std::string DumpWorld(const std::string& db);
// The first column of the first row of a query on the store.
std::int64_t QueryInt(const std::string& db, const std::string& sql);
// Runs a statement on the store.
void Exec(const std::string& db, const std::string& sql);

// Another process's transaction that holds the lock every commit needs, until it ends.
class WriteLock {
public:
    explicit WriteLock(const std::string& db);
    ~WriteLock();
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

private:
    struct Held;
    std::unique_ptr<Held> m_held;
};

// The restored packet of a frame.
CKParam PacketOf(const wire::Frame& frame);
// The bytes of `times` frames of one message, back to back.
std::vector<char> Frames(int id, const CKParam& packet, int times = 1);

}  // namespace server::test
