#include "GameLink.h"

namespace sim {

bool LocalLink::Login(std::string_view name) {
    const rules::Player* player = m_engine.FindPlayer(name);
    if (player == nullptr) {
        return false;
    }
    m_player = player->id;
    return true;
}

std::string LocalLink::PlayerName() const {
    const rules::Player* player = m_engine.PlayerById(m_player);
    return player != nullptr ? player->name : std::string();
}

std::optional<wire::Wallet> LocalLink::Wallet() const {
    const rules::Player* player = m_engine.PlayerById(m_player);
    if (player == nullptr) {
        return std::nullopt;
    }
    return wire::Wallet{player->coins, player->ballots};
}

std::optional<rules::Message> LocalLink::Next() {
    if (m_messages.empty()) {
        for (rules::Message& message : m_engine.TakeMessages()) {
            m_messages.push_back(std::move(message));
        }
    }
    if (m_messages.empty()) {
        return std::nullopt;
    }
    rules::Message message = std::move(m_messages.front());
    m_messages.pop_front();
    return message;
}

bool LocalLink::SetWallet(int coins, int ballots) {
    m_engine.SetWallet(m_player, coins, ballots);
    return true;
}

}  // namespace sim
