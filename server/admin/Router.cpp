#include "Router.h"

#include <algorithm>

namespace admin {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Decodes %XX escapes, and '+' as a space when `plus`; null for a broken escape.
std::optional<std::string> Unescaped(std::string_view raw, bool plus) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '%') {
            const int high = i + 2 < raw.size() ? HexDigit(raw[i + 1]) : -1;
            const int low = high >= 0 ? HexDigit(raw[i + 2]) : -1;
            if (low < 0) {
                return std::nullopt;
            }
            c = static_cast<char>(high * 16 + low);
            i += 2;
        } else if (c == '+' && plus) {
            c = ' ';
        }
        out += c;
    }
    return out;
}

}  // namespace

Response Text(int status, std::string line) {
    return {status, "text/plain; charset=utf-8", std::move(line) + "\n", {}, {}, {}};
}

std::optional<std::pair<std::string, std::string>> SplitTarget(std::string_view target) {
    const std::size_t question = target.find('?');
    const std::optional<std::string> path = Unescaped(target.substr(0, question), false);
    if (!path || path->find('\0') != std::string::npos) {
        return std::nullopt;
    }
    if (path->empty() || path->front() != '/') {
        return std::nullopt;
    }
    return std::pair{
        *path, question == std::string_view::npos ? std::string() : std::string(target.substr(question + 1))};
}

std::optional<std::map<std::string, std::string>> QueryValues(std::string_view query) {
    std::map<std::string, std::string> values;
    while (!query.empty()) {
        const std::size_t end = std::min(query.find('&'), query.size());
        const std::string_view pair = query.substr(0, end);
        query.remove_prefix(std::min(end + 1, query.size()));
        if (pair.empty()) {
            continue;
        }
        const std::size_t equals = std::min(pair.find('='), pair.size());
        auto name = Unescaped(pair.substr(0, equals), true);
        auto value = Unescaped(pair.substr(std::min(equals + 1, pair.size())), true);
        if (!name || !value || values.size() == kMaxQueryValues ||
            !values.emplace(std::move(*name), std::move(*value)).second) {
            return std::nullopt;
        }
    }
    return values;
}

void Router::Add(Method method, std::string path, Handler handler) {
    AddAsync(method, std::move(path),
             [handler = std::move(handler)](const Request& request, const Reply& reply) {
                 reply(handler(request));
             });
}

void Router::AddAsync(Method method, std::string path, AsyncHandler handler) {
    m_routes[{method, std::move(path)}] = std::move(handler);
}

void Router::Route(const Request& request, const Reply& reply) const {
    const Method method = request.method == Method::Head ? Method::Get : request.method;
    if (const auto route = m_routes.find({method, request.path}); route != m_routes.end()) {
        route->second(request, reply);
        return;
    }
    for (const Method other : {Method::Get, Method::Post}) {
        if (m_routes.contains({other, request.path})) {
            reply(Text(405, "method not allowed"));
            return;
        }
    }
    if (method == Method::Get && m_files) {
        reply(m_files->Serve(request.path));
        return;
    }
    reply(Text(404, "not found"));
}

}  // namespace admin
