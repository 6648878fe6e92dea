// The bounds the server keeps every client within. The defaults suit players; tests and load
// runs set them on the command line.
#pragma once

#include <chrono>
#include <cstddef>

namespace server {

struct Limits {
    // A client that sends no whole frame for this long is closed (clients send a heartbeat every
    // 15 seconds; a client that dribbles a frame byte by byte is closed all the same).
    std::chrono::milliseconds idleTimeout{60'000};
    // Bytes waiting to be written beyond which the client counts as not reading and is closed.
    std::size_t maxQueuedBytes = 1u << 20;
    // Frames a connection may send per second, and in one burst; beyond, its socket is not read
    // until the bucket refills. 0: no limit.
    double framesPerSecond = 50;
    double burst = 100;
    // A failed login is answered this late; an address with this many failures in a minute has its
    // further logins closed without an answer until the minute is over.
    std::chrono::milliseconds failedLoginDelay{1000};
    int failedLoginsPerMinute = 10;
};

}  // namespace server
