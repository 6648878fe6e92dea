// A bare HTTP client for the admin listener's tests: it writes the bytes it is given, as a browser
// or an attacker would, and reads what the server sends.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace admin::test {

class HttpConnection {
public:
    explicit HttpConnection(unsigned short port);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    void Send(std::string_view bytes);
    // What arrives within `timeout`: until `until` has come (when given) or the server closes.
    std::string Read(std::chrono::milliseconds timeout, std::string_view until = {});
    bool ClosedByServer() const { return m_closed; }

private:
    int m_fd = -1;
    bool m_closed = false;
};

// A GET of `path` that closes the connection after its answer; the whole answer.
std::string Get(unsigned short port, const std::string& path);
// The status of an answer ("HTTP/1.1 200 OK..." gives 200), 0 when there is none.
int StatusOf(const std::string& answer);
// What follows the head.
std::string BodyOf(const std::string& answer);

}  // namespace admin::test
