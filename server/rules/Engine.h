// The Chamber's rules engine: posts, elections, impeachments, votes, mutes, wallets and time, and
// the reasons it gives when it refuses. One engine serves the simulator's in-process server and the
// network server. It speaks only CKParam byte images: it takes the images of the screen's four
// requests and answers with results, job tables and application lists, each addressed to one player
// or to everyone. Its time moves only when it is told (AdvanceTo). The rules are described in
// server/README.md.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Random.h"
#include "World.h"
#include "param/CKParam.h"
#include "param/ChamberRecords.h"

namespace rules {

// The addressee of a message meant for every connected player.
inline constexpr int kEveryone = 0;

// One message from the engine: its id, the packet's byte image and who gets it.
struct Message {
    int id;
    std::vector<char> image;
    int to = kEveryone;  // a player id, or kEveryone
    // One application's entry (10000028) carries its applyId here: a later message with the same
    // key shows the same record newer, so a server may send only the latest of a run of them.
    int entryKey = 0;
};

// A post's holder and since when it is held.
struct Holding {
    int playerId;
    std::int64_t since;
};

// A candidacy (type 1) or impeachment (type -1) as the engine keeps it.
struct Application {
    int applyId;
    int jobId;
    int type;
    int playerId;  // the candidate, or the king who started the impeachment
    int targetId;  // an impeachment: the holder; a candidacy: the candidate
    std::int64_t startTime;
    std::int64_t endTime;
    int agree = 0;
    int oppose = 0;
};

// Mutes given by a player on one server day.
using MuteDay = std::pair<int, std::int64_t>;  // (player id, server day)

// Everything of the world that changes as the game goes on; the posts' definitions, the ranks and
// the kingdoms never change and live in World. A store keeps this and gives it back on restart.
struct WorldState {
    std::int64_t now = 0;
    std::map<int, Player> players;          // by id
    std::map<int, Holding> holders;         // job id -> holder; a vacant post has none
    std::vector<Application> applications;  // running ones, in creation order
    int nextApplyId = 1;
    std::map<MuteDay, int> mutesUsed;        // mutes given that day
    std::map<int, std::int64_t> mutedUntil;  // player -> end of the mute
};

// The keys of what changed since the last TakeChanges, for a store to write again. A key whose
// row is gone from the state (a closed application, a vacated post) is to be deleted.
struct Changes {
    std::set<int> players;
    std::set<int> posts;
    std::set<int> applications;
    std::set<MuteDay> mutesUsed;
    std::set<int> mutedUntil;

    bool Empty() const {
        return players.empty() && posts.empty() && applications.empty() && mutesUsed.empty() &&
               mutedUntil.empty();
    }
};

// What became of a request image.
enum class Outcome {
    Accepted,  // carried out; its result and what it changed are in the outbox
    Refused,   // answered with a failure result and a reason; nothing changed
    Ignored,   // not a request, or an image that is not a packet: nothing answered
};

struct EngineOptions {
    std::uint64_t seed = 1;  // the other players' votes
    // The simulation's other players vote every full hour; a real server has real voters only.
    bool otherPlayersVote = true;
};

// The failure result of a request: field 31 = 0 and the reason in field 32.
CKParam MakeRefusal(std::string_view reason);

class Engine {
public:
    // The starting world at `start`: its players, posts, holders and the elections it begins with.
    explicit Engine(const EngineOptions& options, std::int64_t start = kWorldStart);
    // A world as a store kept it.
    Engine(const EngineOptions& options, WorldState state);

    std::int64_t Now() const { return m_state.now; }
    const WorldState& State() const { return m_state; }
    const Player* FindPlayer(std::string_view name) const;
    const Player* PlayerById(int id) const;
    // A player that a store added since this engine was made (nothing to write back).
    void AdoptPlayer(const Player& player);
    // The identity text of a player for the screen: "UserId", "level" (1 the king, 2 ... 4 the
    // other ranks, 0 without a post) and "family" (the kingdom).
    std::string IdentityOf(int playerId) const;
    void SetWallet(int playerId, int coins, int ballots);
    // Ends a player's mute now; returns when it would have ended (0: the player was not muted).
    std::int64_t LiftMute(int playerId);

    // A player opens the Chamber: it gets the job table with the clock and every list.
    void Connect(int playerId);
    // One request image from a player's client; the answers wait in the outbox. The result goes to
    // the player alone, the tables and lists it changed to everyone.
    Outcome Receive(int playerId, int id, const char* image, int length);
    // Time passes up to `time`: the other players vote every full hour (when they take part), and
    // elections and impeachments close at their end time. When anything changed, the tables go
    // to everyone.
    void AdvanceTo(std::int64_t time);
    std::vector<Message> TakeMessages();
    Changes TakeChanges();

    // The state, for the host's transcript and for tests.
    int HolderOf(int jobId) const;  // 0 when vacant
    const std::vector<Application>& Applications() const { return m_state.applications; }
    const std::vector<PostDef>& Posts() const { return m_world.posts; }
    const RankRules& RulesOf(int jobId) const;

private:
    // Requests: each returns the result packet and says whether it was accepted.
    CKParam Apply(int playerId, const CKParam& request);
    CKParam Impeach(int playerId, const CKParam& request);
    CKParam Vote(int playerId, const CKParam& request);
    CKParam Mute(int playerId, const CKParam& request);

    // Time: the other players' votes on every application under way, and closing.
    bool OtherPlayersVote(std::int64_t time);
    bool CloseFinished(std::int64_t time);
    void CloseElection(int jobId, std::int64_t time);

    const PostDef* Post(int jobId) const;
    Player* MutablePlayer(int id);
    Application* FindApplication(int applyId);
    const Application* RunningElection(int jobId) const;
    int PostOf(int playerId) const;  // job id of the post the player holds, or 0
    void SetHolder(int jobId, int playerId, std::int64_t since);
    void AddApplication(const Application& application);
    static std::int64_t ServerDay(std::int64_t time);

    // Packets of the engine.
    UniteApplyJob Record(const Application& application) const;
    void SendJobTable(int id, int to);
    void SendApplications(int id, const std::vector<const Application*>& entries, int to);
    void SendAllApplications(int to);
    void Send(int id, const CKParam& packet, int to, int entryKey = 0);

    const World& m_world;
    EngineOptions m_options;
    Random m_random;
    WorldState m_state;
    std::map<std::string, int, std::less<>> m_playerByName;
    std::vector<Message> m_outbox;
    Changes m_changes;
};

}  // namespace rules
