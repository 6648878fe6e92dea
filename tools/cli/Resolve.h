// The addresses that the servers of a command line are reached at, looked up once before a client
// connects to any of them.
#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <vector>

#include "Endpoint.h"

namespace cli {

// The first address of each endpoint, in order; throws boost::system::system_error when a host's name cannot
// be resolved.
std::vector<boost::asio::ip::tcp::endpoint> Resolve(const std::vector<Endpoint>& endpoints);

}  // namespace cli
