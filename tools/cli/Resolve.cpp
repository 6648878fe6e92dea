#include "Resolve.h"

#include <asio/io_context.hpp>

namespace cli {

std::vector<asio::ip::tcp::endpoint> Resolve(const std::vector<Endpoint>& endpoints) {
    asio::io_context io;
    asio::ip::tcp::resolver resolver(io);
    std::vector<asio::ip::tcp::endpoint> addresses;
    for (const Endpoint& endpoint : endpoints) {
        addresses.push_back(
            resolver.resolve(endpoint.host, std::to_string(endpoint.port)).begin()->endpoint());
    }
    return addresses;
}

}  // namespace cli
