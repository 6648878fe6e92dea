#include "Endpoint.h"

#include <algorithm>
#include <charconv>

namespace cli {

std::optional<Endpoint> ParseEndpoint(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view port = text.substr(colon + 1);
    Endpoint endpoint;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), endpoint.port);
    if (port.empty() || error != std::errc() || end != port.data() + port.size()) {
        return std::nullopt;
    }
    std::string_view address = text.substr(0, colon);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    }
    if (address.empty()) {
        return std::nullopt;
    }
    endpoint.host = address;
    return endpoint;
}

std::optional<std::vector<Endpoint>> ParseEndpointList(std::string_view text, bool anyPort) {
    std::vector<Endpoint> endpoints;
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::optional<Endpoint> endpoint = ParseEndpoint(text.substr(start, comma - start));
        if (!endpoint || (!anyPort && endpoint->port == 0)) {
            return std::nullopt;
        }
        endpoints.push_back(*endpoint);
        if (comma == text.size()) {
            return endpoints;
        }
        start = comma + 1;
    }
}

std::string ToText(const Endpoint& endpoint) {
    const bool v6 = endpoint.host.find(':') != std::string::npos;
    return (v6 ? "[" + endpoint.host + "]" : endpoint.host) + ":" + std::to_string(endpoint.port);
}

std::string ToText(const std::vector<Endpoint>& endpoints) {
    std::string text;
    for (const Endpoint& endpoint : endpoints) {
        text += (text.empty() ? "" : ",") + ToText(endpoint);
    }
    return text;
}

}  // namespace cli
