// A server's address on a command line: "HOST:PORT".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

struct Endpoint {
    std::string host;
    unsigned short port = 0;
};

// "HOST:PORT" with an IPv4 address or a name, or "[IPv6]:PORT"; port 0 ... 65535. Null otherwise.
std::optional<Endpoint> ParseEndpoint(std::string_view text);

}  // namespace cli
