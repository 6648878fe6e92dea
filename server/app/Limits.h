// The bounds the server keeps every client within, and the whole server. The defaults suit players;
// tests and load runs set them on the command line.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace server {

struct Limits {
    // A client that sends no whole frame for this long is closed (clients send a heartbeat every
    // 15 seconds; a client that dribbles a frame byte by byte is closed all the same).
    std::chrono::milliseconds idleTimeout{60'000};
    // A connection that has not logged in this long after it was made (or the idle timeout, when
    // that is shorter) is closed, whatever it sends meanwhile.
    std::chrono::milliseconds loginTimeout{10'000};
    // Connections that have not logged in: from one address, and in all. Beyond, a new
    // connection is closed as soon as it is accepted.
    int preLoginPerAddress = 16;
    int preLoginTotal = 256;
    // Bytes waiting to be written beyond which the client counts as not reading and is closed.
    std::size_t maxQueuedBytes = 1u << 20;
    // Frames a connection may send per second, and in one burst; beyond, its socket is not read
    // until the bucket refills. 0: no limit.
    double framesPerSecond = 50;
    double burst = 100;
    // A failed login is answered this late. Login guesses tried a minute, per address and per
    // player (LoginGuesses).
    std::chrono::milliseconds failedLoginDelay{1000};
    int loginGuessesPerMinute = 10;
    // While the database's disk has less than this free, new requests are refused.
    std::uint64_t diskReserveBytes = 64u << 20;
};

}  // namespace server
