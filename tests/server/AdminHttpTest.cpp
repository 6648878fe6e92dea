// The admin listener's HTTP in process, with bounds small enough to reach at once: requests it
// must refuse, its files, how many connections it keeps and for how long, and event streams.
#include <gtest/gtest.h>

#include <boost/asio/post.hpp>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "HttpClient.h"
#include "HttpServer.h"

namespace admin::test {
namespace {

using namespace std::chrono_literals;

class AdminHttpTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::filesystem::path site = m_dir / "site";
        std::filesystem::create_directories(site / "app");
        std::ofstream(site / "index.html") << "<p>console</p>";
        std::ofstream(site / "app" / "main.js") << "let x;";
        std::ofstream(site / ".secret") << "hidden";
        std::ofstream(m_dir / "outside.txt") << "outside";
        std::filesystem::create_symlink(m_dir / "outside.txt", site / "link.txt");
        m_router.Add(Method::Get, "/hello", [](const Request&) { return Text(200, "hello"); });
        m_router.Add(Method::Post, "/echo", [](const Request& request) { return Text(200, request.body); });
        m_router.Add(Method::Get, "/events", [](const Request& request) {
            return Response{200, {}, {}, "counts", request.query, {}};
        });
        m_router.AddAsync(Method::Get, "/later",
                          [this](const Request&, Router::Reply reply) { m_later = std::move(reply); });
        m_router.ServeFiles(StaticFiles(site));
        m_server.emplace(m_io, boost::asio::ip::tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), 0),
                         m_router, m_limits);
        m_server->Start();
        m_thread = std::thread([this] { m_io.run(); });
    }
    void TearDown() override {
        m_io.stop();
        m_thread.join();
        std::filesystem::remove_all(m_dir);
    }

    unsigned short Port() const { return m_server->Endpoint().port(); }
    void Publish(const std::string& event, const std::string& data) {
        boost::asio::post(m_io, [this, event, data] { m_server->Publish("counts", event, data); });
    }

    // Runs `work` on the server's thread and gives what it returns.
    template <typename Work>
    auto OnServer(Work work) {
        std::packaged_task<decltype(work())()> task(std::move(work));
        auto result = task.get_future();
        boost::asio::post(m_io, [&task] { task(); });
        return result.get();
    }
    HttpServer& Server() { return *m_server; }

    // Answers the pending request of /later, on the server's thread.
    void AnswerLater(const std::string& text) {
        boost::asio::post(m_io, [this, text] { m_later(Text(200, text)); });
    }

    const HttpLimits m_limits{.maxHeadBytes = 1024,
                              .maxBodyBytes = 64,
                              .readTimeout = 300ms,
                              .idleTimeout = 300ms,
                              .maxConnections = 4,
                              .maxStreamBytes = 64 << 10};

private:
    const std::filesystem::path m_dir =
        std::filesystem::temp_directory_path() / ("odc-admin-" + std::to_string(getpid()));
    boost::asio::io_context m_io;
    Router m_router;
    std::optional<HttpServer> m_server;
    Router::Reply m_later;
    std::thread m_thread;
};

TEST_F(AdminHttpTest, EachRequestIsAnsweredOrRefusedAsItDeserves) {
    const struct Case {
        std::string request;
        int status;
        std::string has;  // in the answer
        bool closes;
    } cases[] = {
        {"GET /hello HTTP/1.1\r\nX-Big: " + std::string(2000, 'a') + "\r\n\r\n", 400, "", true},
        {"POST /echo HTTP/1.1\r\nContent-Length: 100\r\n\r\n" + std::string(100, 'b'), 413, "", true},
        {"POST /echo HTTP/1.1\r\nContent-Length: 5\r\n\r\nabcde", 200, "abcde", false},
        {"DELETE /hello HTTP/1.1\r\n\r\n", 405, "Allow: GET, HEAD, POST", true},
        {"POST /hello HTTP/1.1\r\nContent-Length: 0\r\n\r\n", 405, "", false},
        {"GET /%zz HTTP/1.1\r\n\r\n", 400, "", true},
        {"GET /a%00b HTTP/1.1\r\n\r\n", 400, "", true},
        {"not http at all\r\n\r\n", 400, "", true},
        {"HEAD /hello HTTP/1.1\r\n\r\n", 200, "Content-Length: 6\r\n\r\n", false},
        {"GET / HTTP/1.1\r\n\r\n", 200, "text/html; charset=utf-8", false},
        {"GET /app/./main.js?v=2 HTTP/1.1\r\n\r\n", 200, "text/javascript", false},
        {"GET /app HTTP/1.1\r\n\r\n", 404, "", false},
        {"GET /app/../../outside.txt HTTP/1.1\r\n\r\n", 404, "", false},
        {"GET /%2e%2e/outside.txt HTTP/1.1\r\n\r\n", 404, "", false},
        {"GET /.secret HTTP/1.1\r\n\r\n", 404, "", false},
        {"GET /link.txt HTTP/1.1\r\n\r\n", 404, "", false},
    };
    for (const Case& each : cases) {
        HttpConnection connection(Port());
        connection.Send(each.request);
        const std::string answer = connection.Read(2s, each.closes ? "" : "\r\n\r\n");
        EXPECT_EQ(StatusOf(answer), each.status) << each.request.substr(0, 40) << "\n" << answer;
        EXPECT_NE(answer.find(each.has), std::string::npos) << answer;
        if (each.closes) {
            EXPECT_TRUE(connection.ClosedByServer()) << each.request.substr(0, 40);
        }
    }
    EXPECT_EQ(BodyOf(Get(Port(), "/")), "<p>console</p>");
}

TEST_F(AdminHttpTest, AnAnswerMayComeLaterEvenAfterItsReaderHasGone) {
    {
        HttpConnection gone(Port());
        gone.Send("GET /later HTTP/1.1\r\n\r\n");
        EXPECT_EQ(gone.Read(200ms), "");
    }
    std::this_thread::sleep_for(100ms);
    AnswerLater("nobody reads this");
    HttpConnection waiting(Port());
    waiting.Send("GET /later HTTP/1.1\r\n\r\n");
    EXPECT_EQ(waiting.Read(200ms), "") << "nothing before the answer";
    AnswerLater("late");
    const std::string answer = waiting.Read(2s, "late\n");
    EXPECT_EQ(StatusOf(answer), 200);
    EXPECT_EQ(BodyOf(answer), "late\n");
}

TEST_F(AdminHttpTest, ConnectionsAreBoundedInNumberAndInTime) {
    std::vector<std::unique_ptr<HttpConnection>> open;
    for (int i = 0; i < m_limits.maxConnections; ++i) {
        open.push_back(std::make_unique<HttpConnection>(Port()));
    }
    // The bound is reached only once the server has accepted them.
    open[0]->Send("GET /hello HTTP/1.1\r\n\r\n");
    ASSERT_EQ(StatusOf(open[0]->Read(2s, "hello\n")), 200);
    HttpConnection beyond(Port());
    EXPECT_EQ(beyond.Read(1s), "");
    EXPECT_TRUE(beyond.ClosedByServer()) << "a connection beyond the bound is closed at once";

    open[1]->Send("GET /hel");
    const auto start = std::chrono::steady_clock::now();
    for (const auto& connection : open) {
        connection->Read(2s);
        EXPECT_TRUE(connection->ClosedByServer()) << "slow, idle and kept-alive clients are timed out";
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    EXPECT_EQ(StatusOf(Get(Port(), "/hello")), 200) << "closed connections no longer count";
}

TEST_F(AdminHttpTest, AStreamGetsItsEventsAndASlowOneIsDropped) {
    {
        HttpConnection reader(Port());
        reader.Send("GET /events HTTP/1.1\r\n\r\n");
        const std::string head = reader.Read(2s, "\r\n\r\n");
        ASSERT_EQ(StatusOf(head), 200) << head;
        EXPECT_NE(head.find("Content-Type: text/event-stream"), std::string::npos);
        Publish("count", "1\n2");
        EXPECT_EQ(reader.Read(2s, "\n\n"), "event: count\ndata: 1\ndata: 2\n\n");
    }

    {
        HttpConnection mine(Port());
        HttpConnection theirs(Port());
        mine.Send("GET /events?mine HTTP/1.1\r\n\r\n");
        theirs.Send("GET /events?theirs HTTP/1.1\r\n\r\n");
        ASSERT_EQ(StatusOf(mine.Read(2s, "\r\n\r\n")), 200);
        ASSERT_EQ(StatusOf(theirs.Read(2s, "\r\n\r\n")), 200);
        const std::set<std::string> owners = OnServer([this] { return Server().StreamOwners("counts"); });
        EXPECT_TRUE(owners.contains("mine") && owners.contains("theirs"));
        OnServer([this] {
            Server().CloseStreams("mine");
            return true;
        });
        Publish("count", "3");
        EXPECT_EQ(theirs.Read(2s, "\n\n"), "event: count\ndata: 3\n\n");
        mine.Read(2s);
        EXPECT_TRUE(mine.ClosedByServer()) << "a stream ends with its owner";
    }

    HttpConnection slow(Port());
    slow.Send("GET /events HTTP/1.1\r\n\r\n");
    ASSERT_EQ(StatusOf(slow.Read(2s, "\r\n\r\n")), 200);
    const std::string big(16 << 10, 'x');
    constexpr int kEvents = 2000;  // 32 MiB: more than loopback's buffers hold
    for (int i = 0; i < kEvents; ++i) {
        Publish("big", big);
    }
    std::size_t received = 0;
    while (!slow.ClosedByServer()) {
        const std::string bytes = slow.Read(2s);
        ASSERT_FALSE(bytes.empty() && !slow.ClosedByServer()) << "the slow stream was not dropped";
        received += bytes.size();
    }
    EXPECT_LT(received, kEvents * big.size());
}

}  // namespace
}  // namespace admin::test
