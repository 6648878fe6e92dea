#include "Router.h"

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

}  // namespace

Response Text(int status, std::string line) {
    return {status, "text/plain; charset=utf-8", std::move(line) + "\n", {}};
}

std::optional<std::pair<std::string, std::string>> SplitTarget(std::string_view target) {
    const std::size_t question = target.find('?');
    const std::string_view raw = target.substr(0, question);
    std::string path;
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
        }
        if (c == '\0') {
            return std::nullopt;
        }
        path += c;
    }
    if (path.empty() || path.front() != '/') {
        return std::nullopt;
    }
    return std::pair{
        path, question == std::string_view::npos ? std::string() : std::string(target.substr(question + 1))};
}

void Router::Add(Method method, std::string path, Handler handler) {
    m_routes[{method, std::move(path)}] = std::move(handler);
}

Response Router::Route(const Request& request) const {
    const Method method = request.method == Method::Head ? Method::Get : request.method;
    if (const auto route = m_routes.find({method, request.path}); route != m_routes.end()) {
        return route->second(request);
    }
    for (const Method other : {Method::Get, Method::Post}) {
        if (m_routes.contains({other, request.path})) {
            return Text(405, "method not allowed");
        }
    }
    if (method == Method::Get && m_files) {
        return m_files->Serve(request.path);
    }
    return Text(404, "not found");
}

}  // namespace admin
