// The simulated nation as it stands when the server starts: kingdoms, players with their wallets,
// the fifteen posts of the pyramid with their settings, and who holds or runs for what.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rules {

// 2024-03-01 12:00:00 UTC (20:00 in the server's own time zone, UTC+8).
inline constexpr std::int64_t kWorldStart = 1709294400;

struct Kingdom {
    int id;            // the player's "family" in the identity text
    std::string name;  // UTF-8, as every text of the server
};

struct Player {
    int id;
    std::string name;
    int kingdom;  // Kingdom::id
    int coins;    // M coins
    int ballots;
};

// A post of the pyramid: rank 0 the king, 1 the two chancellors, 2 four ministers, 3 eight officers.
struct PostDef {
    int jobId;  // 1 ... 15, the slot of its nation button
    std::string name;
    int rank;
    std::string desc;
};

// The settings every post of a rank shares.
struct RankRules {
    int price;           // M coins to apply; an impeachment costs three times as much
    std::string awards;  // experience factor for the holder's kingdom, e.g. "1.2"
    std::string power;
    std::string conditions;
    int mutesPerDay;
    int muteSeconds;  // the longest mute a holder of this rank may give
};

// A candidacy or impeachment that exists when the server starts, times relative to kWorldStart.
struct InitialApplication {
    int jobId;
    int playerId;  // the candidate, or the king who started the impeachment
    int type;      // 1 candidacy, -1 impeachment
    int startOffset;
    int endOffset;
};

struct World {
    std::vector<Kingdom> kingdoms;
    std::vector<Player> players;
    std::vector<PostDef> posts;
    std::vector<RankRules> ranks;              // indexed by rank
    std::vector<std::pair<int, int>> holders;  // (jobId, playerId)
    std::vector<InitialApplication> applications;
};

// The one world of the simulation, always the same: --seed only drives the other players' votes.
const World& StartingWorld();

}  // namespace rules
