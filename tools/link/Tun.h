// A TUN device inside a network namespace: the end of a link that a program of our own carries,
// for hosts whose kernel has no netem.
#pragma once

#include <string>

namespace tunlink {

// Creates the TUN device `device` in the namespace `ns` (as `ip netns add` names it), gives it the
// address `local` with `peer` at the other end of a point-to-point link, brings it up and returns
// its descriptor (non-blocking; one IP packet per read or write). The calling thread returns to its
// own namespace. The device goes when the descriptor is closed. Throws std::system_error.
int OpenTun(const std::string& ns, const std::string& device, const std::string& local,
            const std::string& peer);

}  // namespace tunlink
