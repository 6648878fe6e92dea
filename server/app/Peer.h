// A client as the hall sees it: where its frames go, who it is, and how to end it. Connection is
// the TCP one; tests and the fuzzer use their own.
#pragma once

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

    virtual void Send(SharedFrame frame) = 0;
    // Ends the client; the hall is told once (Hall::Leave).
    virtual void Close(const std::string& why) = 0;
    virtual bool IsOpen() const = 0;

    // "address:port", for the log; the address alone, for limits per address.
    const std::string& Address() const { return m_address; }
    const std::string& Host() const { return m_host; }
    int playerId = 0;  // 0 until logged in

private:
    std::string m_address;
    std::string m_host;
};

}  // namespace server
