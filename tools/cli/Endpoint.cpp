#include "Endpoint.h"

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

}  // namespace cli
