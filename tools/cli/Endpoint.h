// A server's address on a command line: "HOST:PORT", or a list of them: "HOST:PORT,HOST:PORT".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct Endpoint {
    std::string host;
    unsigned short port = 0;
};

// "HOST:PORT" with an IPv4 address or a name, or "[IPv6]:PORT"; port 0 ... 65535. Null otherwise.
std::optional<Endpoint> ParseEndpoint(std::string_view text);
// One or more endpoints as ParseEndpoint takes them, separated by commas, with `anyPort` false
// port 0 refused. Null when any of them is not one, or one is empty.
std::optional<std::vector<Endpoint>> ParseEndpointList(std::string_view text, bool anyPort = true);
// "HOST:PORT", an IPv6 address in brackets; a list joined with commas, as ParseEndpointList takes it.
std::string ToText(const Endpoint& endpoint);
std::string ToText(const std::vector<Endpoint>& endpoints);

}  // namespace cli
