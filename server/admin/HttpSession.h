// One connection to the admin listener: it reads requests one at a time within the listener's
// bounds and writes each answer before it reads the next; a request it cannot read is answered
// 400 and the connection closed. A session whose answer is an event stream reads no more and
// writes the stream's events from a bounded queue. A route may answer after the connection closed:
// the answer is then dropped.
#pragma once

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "Router.h"

namespace admin {

class HttpServer;

class HttpSession : public std::enable_shared_from_this<HttpSession> {
public:
    HttpSession(boost::asio::ip::tcp::socket socket, HttpServer& server);

    void Start();
    // The stream's name, empty while the session answers requests.
    const std::string& Stream() const { return m_stream; }
    const std::string& StreamOwner() const { return m_streamOwner; }
    // Queues a stream's bytes; a stream with more than its bound waiting is closed.
    void Push(const std::string& bytes);
    void Close();

private:
    using HttpResponse = boost::beast::http::response<boost::beast::http::string_body>;

    void Read();
    void Answer(const boost::beast::http::request<boost::beast::http::string_body>& request);
    // Writes a route's answer, or turns the session into its event stream.
    void Respond(Response answer, bool head, unsigned version, bool keepAlive);
    void Refuse(boost::beast::http::status status);
    void Write(std::shared_ptr<HttpResponse> response);
    void WriteStream();

    boost::beast::tcp_stream m_socket;
    boost::beast::flat_buffer m_buffer;
    std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> m_parser;
    HttpServer& m_server;
    bool m_open = true;
    bool m_keptAlive = false;
    std::string m_stream;
    std::string m_streamOwner;
    std::deque<std::string> m_queue;
    std::size_t m_queuedBytes = 0;
    bool m_writing = false;
};

}  // namespace admin
