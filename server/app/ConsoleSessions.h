// The console's sessions, kept on the game thread: a random id for the browser's cookie, a random
// token its page must send with every POST (against cross-site requests), and the operator it is
// for. A session ends when its operator logs out, when it is idle too long or too old, or when
// more are open than the bound (the one least recently used goes first). A page open on the live
// events is in use.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Store.h"

namespace server {

struct ConsoleSession {
    std::string id;
    std::string csrfToken;
    store::Operator op;  // without its password hash
    std::chrono::steady_clock::time_point opened;
    std::chrono::steady_clock::time_point used;
};

class ConsoleSessions {
public:
    using Clock = std::chrono::steady_clock;

    // The name of the session's cookie.
    static constexpr std::string_view kCookie = "odc_session";

    ConsoleSessions(std::size_t most, Clock::duration lifetime, Clock::duration idle)
        : m_most(most), m_lifetime(lifetime), m_idle(idle) {}

    // A new session for `op`.
    const ConsoleSession& Open(const store::Operator& op, Clock::time_point now);
    // The live session of the cookie header's id, marked used at `now`; null when there is none.
    const ConsoleSession* Find(std::string_view cookieHeader, Clock::time_point now);
    void Close(const std::string& id) { m_sessions.erase(id); }
    // Marks the sessions of `inUse` used at `now`, ends those idle or old at `now`, and gives their
    // ids.
    std::vector<std::string> Expire(const std::set<std::string>& inUse, Clock::time_point now);
    std::size_t Size() const { return m_sessions.size(); }

private:
    bool Ended(const ConsoleSession& session, Clock::time_point now) const;

    std::size_t m_most;
    Clock::duration m_lifetime;
    Clock::duration m_idle;
    std::map<std::string, ConsoleSession, std::less<>> m_sessions;
};

// The value of cookie `name` in a Cookie header ("a=1; odc_session=x" gives "x"), empty without it.
std::string_view CookieValue(std::string_view header, std::string_view name);
// Whether two secrets are equal, in a time that does not depend on where they differ.
bool SecretsEqual(std::string_view a, std::string_view b);

}  // namespace server
