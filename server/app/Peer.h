// A client as the hall sees it: where its frames go, who it is, and how to end it. Connection is
// the TCP one; tests and the fuzzer use their own.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace server {

// A frame's bytes, shared by every client it goes to.
using SharedFrame = std::shared_ptr<const std::vector<char>>;

class Peer : public std::enable_shared_from_this<Peer> {
public:
    explicit Peer(std::string address, std::string host)
        : m_address(std::move(address)), m_host(std::move(host)) {}
    virtual ~Peer() = default;
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    // Each of these is called on the hall's thread; a client that lives on another thread carries it
    // out on its own, in the order called.
    virtual void Send(SharedFrame frame) = 0;
    // Ends the client at once; the hall is told once (Hall::Leave).
    virtual void Close(const std::string& why) = 0;
    // Reads nothing more and ends the client once what is queued for it is written.
    virtual void Finish(const std::string& why) = 0;
    // The hall has logged the client in: its frames may be as large as a player's.
    virtual void LoggedIn() {}
    // False once the client is closed (a client on another thread may say so a little late).
    virtual bool IsOpen() const = 0;
    // Bytes waiting to be written to the client.
    virtual std::size_t QueuedBytes() const { return 0; }

    // "address:port", for the log; the address alone, for limits per address.
    const std::string& Address() const { return m_address; }
    const std::string& Host() const { return m_host; }

    // The hall's record of the client, read and written only on the hall's thread.
    int playerId = 0;                 // 0 until logged in
    bool loginUnderWay = false;       // from a login frame until its answer
    bool welcomed = false;            // its login result has gone out: what goes to a player goes to it too
    bool watching = false;            // its Chamber is open: the tables and lists go to it
    std::uint64_t watchingAfter = 0;  // the last table update its opening's snapshot already shows
    int refusedBeforeLogin = 0;       // frames refused before a login, told when it closes
    const std::chrono::steady_clock::time_point since = std::chrono::steady_clock::now();

private:
    std::string m_address;
    std::string m_host;
};

}  // namespace server
