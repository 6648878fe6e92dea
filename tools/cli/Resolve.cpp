#include "Resolve.h"

#include <boost/asio/io_context.hpp>

namespace cli {

std::vector<boost::asio::ip::tcp::endpoint> Resolve(const std::vector<Endpoint>& endpoints) {
    boost::asio::io_context io;
    boost::asio::ip::tcp::resolver resolver(io);
    std::vector<boost::asio::ip::tcp::endpoint> addresses;
    for (const Endpoint& endpoint : endpoints) {
        addresses.push_back(
            resolver.resolve(endpoint.host, std::to_string(endpoint.port)).begin()->endpoint());
    }
    return addresses;
}

}  // namespace cli
