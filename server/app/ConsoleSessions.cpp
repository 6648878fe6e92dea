#include "ConsoleSessions.h"

#include <algorithm>

#include "Credentials.h"

namespace server {

const ConsoleSession& ConsoleSessions::Open(const store::Operator& op, Clock::time_point now) {
    while (m_sessions.size() >= m_most && !m_sessions.empty()) {
        const auto oldest =
            std::min_element(m_sessions.begin(), m_sessions.end(),
                             [](const auto& a, const auto& b) { return a.second.used < b.second.used; });
        m_sessions.erase(oldest);
    }
    ConsoleSession session{store::NewToken(), store::NewToken(), op, now, now};
    session.op.passwordHash.clear();
    const std::string id = session.id;
    return m_sessions.emplace(id, std::move(session)).first->second;
}

const ConsoleSession* ConsoleSessions::Find(std::string_view cookieHeader, Clock::time_point now) {
    const std::string_view id = CookieValue(cookieHeader, kCookie);
    const auto found = m_sessions.find(id);
    if (found == m_sessions.end()) {
        return nullptr;
    }
    ConsoleSession& session = found->second;
    if (Ended(session, now)) {
        m_sessions.erase(found);
        return nullptr;
    }
    session.used = now;
    return &session;
}

std::vector<std::string> ConsoleSessions::Expire(const std::set<std::string>& inUse, Clock::time_point now) {
    std::vector<std::string> ended;
    for (auto at = m_sessions.begin(); at != m_sessions.end();) {
        ConsoleSession& session = at->second;
        if (inUse.contains(session.id)) {
            session.used = std::max(session.used, now);
        }
        if (Ended(session, now)) {
            ended.push_back(session.id);
            at = m_sessions.erase(at);
        } else {
            ++at;
        }
    }
    return ended;
}

bool ConsoleSessions::Ended(const ConsoleSession& session, Clock::time_point now) const {
    return now - session.used > m_idle || now - session.opened > m_lifetime;
}

std::string_view CookieValue(std::string_view header, std::string_view name) {
    while (!header.empty()) {
        const std::size_t end = std::min(header.find(';'), header.size());
        std::string_view pair = header.substr(0, end);
        header.remove_prefix(std::min(end + 1, header.size()));
        while (!pair.empty() && pair.front() == ' ') {
            pair.remove_prefix(1);
        }
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=') {
            return pair.substr(name.size() + 1);
        }
    }
    return {};
}

bool SecretsEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char differ = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        differ |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return differ == 0;
}

}  // namespace server
