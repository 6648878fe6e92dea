// How many login guesses each address and each player may have tried a minute. A guess is charged
// when the login is taken: to its address, and to the player once the name is found, before the
// token is compared; a login that succeeds gives its charges back, so that only failures use the
// minute up. When an address has spent its minute, a login from it is still tried for a player
// who has spent nothing (no failure, no login under way): behind one shared address (a TLS
// terminator), players who have not failed are not shut out by other people's failures there.
// What is spent comes back evenly over the minute.
#pragma once

#include <chrono>
#include <string>
#include <unordered_map>

namespace server {

class LoginGuesses {
public:
    using Clock = std::chrono::steady_clock;

    // The charges of one login.
    struct Ticket {
        std::string host;
        bool address = false;  // charged to the address
        int playerId = 0;      // charged to this player (0: none)
    };

    explicit LoginGuesses(int perMinute) : m_perMinute(perMinute) {}

    // A login from `host`, charged to the address when it has a guess left.
    Ticket Take(const std::string& host, Clock::time_point now);
    // Whether the token of the login may be compared with the player's: the player has a guess
    // left, and the address had one or the player has spent nothing. Charges the player.
    bool Admit(Ticket& ticket, int playerId, Clock::time_point now);
    // Gives back what the ticket holds: the login succeeded, or its token was never compared.
    void GiveBack(Ticket& ticket, Clock::time_point now);
    // Forgets the addresses and players that have their whole minute again.
    void Prune(Clock::time_point now);

private:
    struct Bucket {
        double left;
        Clock::time_point at;
    };
    // What the bucket holds now, refilled for the time since it was last seen.
    double Left(const Bucket& bucket, Clock::time_point now) const;
    template <typename Key>
    Bucket& Of(std::unordered_map<Key, Bucket>& buckets, const Key& key, Clock::time_point now);

    double m_perMinute;
    std::unordered_map<std::string, Bucket> m_addresses;
    std::unordered_map<int, Bucket> m_players;
};

}  // namespace server
