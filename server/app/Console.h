// The operators' console on the admin listener: the sessions of operators who logged in with their
// passwords, the API its pages call (/api/...), and the event stream of its live pages (the realm
// when it changes, the server's status every second). It runs on the game thread; passwords are
// checked on a thread of their own (PasswordChecks), the store is read on its own.
#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/steady_timer.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "ConsoleSessions.h"
#include "Engine.h"
#include "Hall.h"
#include "HttpServer.h"
#include "Operators.h"
#include "PasswordChecks.h"
#include "StoreWorker.h"

namespace server {

class Console {
public:
    // The live pages' stream, and how often the realm is looked at for a change.
    static constexpr const char* kStream = "console";
    static constexpr std::chrono::milliseconds kRealmTick{250};

    Console(boost::asio::any_io_executor executor, Hall& hall, const rules::Engine& engine,
            StoreWorker& store, const metrics::Registry& registry, admin::HttpServer& http);

    // Adds the API's routes to `router`; the console must outlive their use.
    void AddRoutes(admin::Router& router);
    // Starts and stops the live pages' events.
    void Start();
    void Stop() { m_timer.cancel(); }

private:
    using Reply = admin::Router::Reply;
    // A route for operators who logged in: anything else is answered 401, and a POST without the
    // session's CSRF token or from another site 403.
    using Handler = std::function<void(const admin::Request&, const ConsoleSession&, const Reply&)>;
    void AddRoute(admin::Router& router, admin::Method method, const std::string& path, Handler handler);

    void Login(const admin::Request& request, const Reply& reply);
    void FinishLogin(const std::string& name, const store::Verification& verification, const Reply& reply);
    void Act(const admin::Request& request, const ConsoleSession& session, const Reply& reply);
    void Players(const admin::Request& request, const Reply& reply);
    void Ledger(const admin::Request& request, const Reply& reply);
    void Audit(const admin::Request& request, const Reply& reply);

    void Tick();
    // The status now, with the rates since the last one.
    std::string StatusJson();

    boost::asio::any_io_executor m_executor;
    Hall& m_hall;
    const rules::Engine& m_engine;
    StoreWorker& m_store;
    const metrics::Registry& m_registry;
    admin::HttpServer& m_http;
    ConsoleSessions m_sessions;
    PasswordChecks m_checks;
    boost::asio::steady_timer m_timer;
    std::string m_realm;   // as last published
    std::string m_status;  // as last published
    int m_ticks = 0;
    // The figures at the last status, for the rates and the commits' 99th percentile between.
    double m_requests = 0;
    double m_votes = 0;
    std::vector<std::uint64_t> m_commits;
};

// A JSON answer of the console's API.
admin::Response JsonAnswer(int status, std::string body);
// Whether a POST's Origin and Sec-Fetch-Site (when sent) say it comes from the console's own page.
bool SameOrigin(const admin::Request& request);

}  // namespace server
