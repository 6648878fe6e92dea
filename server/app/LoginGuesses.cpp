#include "LoginGuesses.h"

#include <algorithm>

namespace server {

double LoginGuesses::Left(const Bucket& bucket, Clock::time_point now) const {
    const double minutes = std::chrono::duration<double, std::ratio<60>>(now - bucket.at).count();
    return std::min(m_perMinute, bucket.left + minutes * m_perMinute);
}

template <typename Key>
LoginGuesses::Bucket& LoginGuesses::Of(std::unordered_map<Key, Bucket>& buckets, const Key& key,
                                       Clock::time_point now) {
    Bucket& bucket = buckets.try_emplace(key, Bucket{m_perMinute, now}).first->second;
    bucket = {Left(bucket, now), now};
    return bucket;
}

LoginGuesses::Ticket LoginGuesses::Take(const std::string& host, Clock::time_point now) {
    Bucket& address = Of(m_addresses, host, now);
    Ticket ticket{host};
    if (address.left >= 1) {
        address.left -= 1;
        ticket.address = true;
    }
    return ticket;
}

bool LoginGuesses::Admit(Ticket& ticket, int playerId, Clock::time_point now) {
    Bucket& player = Of(m_players, playerId, now);
    const bool untouched = player.left >= m_perMinute;
    if (player.left < 1 || !(ticket.address || untouched)) {
        return false;
    }
    player.left -= 1;
    ticket.playerId = playerId;
    return true;
}

void LoginGuesses::GiveBack(Ticket& ticket, Clock::time_point now) {
    if (ticket.address) {
        Bucket& address = Of(m_addresses, ticket.host, now);
        address.left = std::min(m_perMinute, address.left + 1);
    }
    if (ticket.playerId != 0) {
        Bucket& player = Of(m_players, ticket.playerId, now);
        player.left = std::min(m_perMinute, player.left + 1);
    }
    ticket.address = false;
    ticket.playerId = 0;
}

void LoginGuesses::Prune(Clock::time_point now) {
    const auto full = [this, now](const auto& entry) { return Left(entry.second, now) >= m_perMinute; };
    std::erase_if(m_addresses, full);
    std::erase_if(m_players, full);
}

}  // namespace server
