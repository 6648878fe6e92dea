#include "HttpSession.h"

#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

#include "HttpServer.h"

namespace admin {

namespace http = boost::beast::http;

namespace {

// The head of an event stream: it lasts until the connection ends, so it has no length.
constexpr std::string_view kStreamHead =
    "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-cache\r\n"
    "X-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n";

std::optional<Method> MethodOf(http::verb verb) {
    switch (verb) {
        case http::verb::get:
            return Method::Get;
        case http::verb::head:
            return Method::Head;
        case http::verb::post:
            return Method::Post;
        default:
            return std::nullopt;
    }
}

}  // namespace

HttpSession::HttpSession(boost::asio::ip::tcp::socket socket, HttpServer& server)
    : m_socket(std::move(socket)),
      m_buffer(server.Limits().maxHeadBytes + server.Limits().maxBodyBytes),
      m_server(server) {}

void HttpSession::Start() {
    m_server.Opened(shared_from_this());
    Read();
}

void HttpSession::Read() {
    const HttpLimits& limits = m_server.Limits();
    m_parser.emplace();
    m_parser->header_limit(static_cast<std::uint32_t>(limits.maxHeadBytes));
    m_parser->body_limit(limits.maxBodyBytes);
    m_socket.expires_after(m_keptAlive ? limits.idleTimeout : limits.readTimeout);
    http::async_read(
        m_socket, m_buffer, *m_parser,
        [self = shared_from_this()](const boost::system::error_code& error, std::size_t) {
            if (!self->m_open) {
                return;
            }
            if (error == http::error::body_limit) {
                self->Refuse(http::status::payload_too_large);
            } else if (error == http::error::end_of_stream || error == boost::beast::error::timeout ||
                       error == boost::asio::error::connection_reset || error == boost::asio::error::eof) {
                self->Close();
            } else if (error) {
                self->Refuse(http::status::bad_request);
            } else {
                self->Answer(self->m_parser->get());
            }
        });
}

void HttpSession::Answer(const http::request<http::string_body>& request) {
    const std::optional<Method> method = MethodOf(request.method());
    if (!method) {
        Refuse(http::status::method_not_allowed);
        return;
    }
    const auto target = SplitTarget(std::string_view(request.target().data(), request.target().size()));
    if (!target) {
        Refuse(http::status::bad_request);
        return;
    }
    Request asked;
    asked.method = *method;
    asked.path = target->first;
    asked.query = target->second;
    asked.body = request.body();
    const auto header = [&request](std::string_view name) {
        const auto found = request.find(boost::beast::string_view(name.data(), name.size()));
        return found == request.end() ? std::string() : std::string(found->value());
    };
    asked.cookie = header("Cookie");
    asked.csrfToken = header("X-CSRF-Token");
    asked.origin = header("Origin");
    asked.fetchSite = header("Sec-Fetch-Site");
    asked.host = header("Host");
    // The answer may come after the connection closed: then it goes nowhere.
    m_server.Routes().Route(
        asked, [self = shared_from_this(), head = *method == Method::Head, version = request.version(),
                keepAlive = request.keep_alive()](Response answer) {
            if (self->m_open) {
                self->Respond(std::move(answer), head, version, keepAlive);
            }
        });
}

void HttpSession::Respond(Response answer, bool head, unsigned version, bool keepAlive) {
    if (!answer.eventStream.empty() && !head && answer.status == 200) {
        // The stream reads no more: it ends when its reader goes or falls behind.
        m_stream = answer.eventStream;
        m_streamOwner = answer.streamOwner;
        m_socket.expires_never();
        Push(std::string(kStreamHead));
        return;
    }
    auto response = std::make_shared<HttpResponse>(static_cast<http::status>(answer.status), version);
    response->set(http::field::content_type, answer.contentType);
    response->set(http::field::cache_control, "no-store");
    response->set("X-Content-Type-Options", "nosniff");
    // The console's pages load only their own files and are framed by nothing.
    response->set("Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'; base-uri 'none'");
    response->set("Referrer-Policy", "no-referrer");
    for (const auto& [name, value] : answer.headers) {
        response->insert(name, value);
    }
    if (answer.status == 405) {
        response->set(http::field::allow, "GET, HEAD, POST");
    }
    response->keep_alive(keepAlive);
    response->content_length(answer.body.size());
    if (!head) {
        response->body() = std::move(answer.body);
    }
    Write(std::move(response));
}

void HttpSession::Refuse(http::status status) {
    auto response = std::make_shared<HttpResponse>(status, 11);
    response->set(http::field::content_type, "text/plain; charset=utf-8");
    if (status == http::status::method_not_allowed) {
        response->set(http::field::allow, "GET, HEAD, POST");
    }
    response->keep_alive(false);
    response->body() = std::string(http::obsolete_reason(status)) + "\n";
    response->prepare_payload();
    Write(std::move(response));
}

void HttpSession::Write(std::shared_ptr<HttpResponse> response) {
    m_socket.expires_after(m_server.Limits().readTimeout);
    http::async_write(
        m_socket, *response,
        [self = shared_from_this(), response](const boost::system::error_code& error, std::size_t) {
            if (error || !response->keep_alive()) {
                self->Close();
                return;
            }
            self->m_keptAlive = true;
            self->Read();
        });
}

void HttpSession::Push(const std::string& bytes) {
    if (!m_open) {
        return;
    }
    if (m_queuedBytes + bytes.size() > m_server.Limits().maxStreamBytes) {
        Close();
        return;
    }
    m_queue.push_back(bytes);
    m_queuedBytes += bytes.size();
    if (!m_writing) {
        WriteStream();
    }
}

void HttpSession::WriteStream() {
    m_writing = true;
    boost::asio::async_write(
        m_socket, boost::asio::buffer(m_queue.front()),
        [self = shared_from_this()](const boost::system::error_code& error, std::size_t) {
            self->m_writing = false;
            if (error || !self->m_open) {
                self->Close();
                return;
            }
            self->m_queuedBytes -= self->m_queue.front().size();
            self->m_queue.pop_front();
            if (!self->m_queue.empty()) {
                self->WriteStream();
            }
        });
}

void HttpSession::Close() {
    if (!m_open) {
        return;
    }
    m_open = false;
    boost::system::error_code ignored;
    m_socket.socket().shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
    m_socket.close();
    m_server.Ended(*this);
}

}  // namespace admin
