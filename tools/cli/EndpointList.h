// The servers a client may reach, tried in turn: it connects to the first, and whenever a
// connection fails or ends, to the next; after the last, the first again. A realm served by one of
// several processes at a time is reached this way, whichever of them serves.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

#include "Endpoint.h"

namespace cli {

// `Address` is what the client connects to: an Endpoint as written, or a resolved address.
template <class Address = Endpoint>
class EndpointList {
public:
    // Throws std::invalid_argument when `addresses` is empty.
    explicit EndpointList(std::vector<Address> addresses) : m_addresses(std::move(addresses)) {
        if (m_addresses.empty()) {
            throw std::invalid_argument("a list of servers needs at least one");
        }
    }

    const Address& Current() const { return m_addresses[m_at]; }
    // Moves on to the next address, round-robin, and returns it.
    const Address& Next() {
        m_at = (m_at + 1) % m_addresses.size();
        return Current();
    }
    std::size_t Size() const { return m_addresses.size(); }
    const std::vector<Address>& All() const { return m_addresses; }

private:
    std::vector<Address> m_addresses;
    std::size_t m_at = 0;
};

}  // namespace cli
