// The simulated game server of the Chamber. It speaks only CKParam byte images: it takes the
// images of the screen's four requests and answers with the images of results, job tables and
// application lists. Its time moves only when it is told (AdvanceTo); the other players' votes
// come from a random sequence fixed by its random seed. The rules are described in tools/sim/README.md.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "Random.h"
#include "World.h"
#include "chamber/ChamberRecords.h"
#include "param/CKParam.h"

namespace sim {

// One message from the server: its id and the packet's byte image.
struct Message {
    int id;
    std::vector<char> image;
};

// A candidacy (type 1) or impeachment (type -1) as the server keeps it.
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

class Server {
public:
    explicit Server(std::uint64_t seed, std::int64_t start = kWorldStart);

    std::int64_t Now() const { return m_now; }
    const Player* FindPlayer(std::string_view name) const;
    const Player* PlayerById(int id) const;
    // The identity text of a player for the screen: "UserId", "level" (1 the king, 2 ... 4 the
    // other ranks, 0 without a post) and "family" (the kingdom).
    std::string IdentityOf(int playerId) const;
    // The wallet behind the host's OnUserHasPower: code >= 10000 asks for code - 10000 M coins,
    // a smaller code for that many ballots.
    bool CanPay(int playerId, int code) const;
    void SetWallet(int playerId, int coins, int ballots);

    // A player's client connects: it gets the job table with the clock and every list.
    void Connect(int playerId);
    // One request image from a player's client; the answers wait in the outbox.
    void Receive(int playerId, int id, const char* image, int length);
    // Time passes up to `time`: the other players vote every full hour, and elections and
    // impeachments close at their end time. When anything changed, the tables are pushed.
    void AdvanceTo(std::int64_t time);
    std::vector<Message> TakeMessages();

    // The state, for the host's transcript and for tests.
    int HolderOf(int jobId) const;  // 0 when vacant
    const std::vector<Application>& Applications() const { return m_applications; }
    const std::vector<PostDef>& Posts() const { return m_world.posts; }
    const RankRules& RulesOf(int jobId) const;

private:
    struct Holding {
        int playerId;
        std::int64_t since;
    };

    // Requests: each returns the result packet.
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
    std::int64_t ServerDay(std::int64_t time) const;

    // Packets of the server.
    UniteApplyJob Record(const Application& application) const;
    void SendJobTable(int id);
    void SendApplications(int id, const std::vector<const Application*>& entries);
    void SendAllApplications();
    void Send(int id, const CKParam& packet);

    World m_world;
    std::int64_t m_now;
    Random m_random;
    std::map<int, Holding> m_holders;  // job id -> holder
    std::vector<Application> m_applications;
    int m_nextApplyId = 1;
    std::map<std::pair<int, std::int64_t>, int> m_mutesUsed;  // (player, server day) -> mutes given
    std::map<int, std::int64_t> m_mutedUntil;                 // player -> end of the mute
    std::vector<Message> m_outbox;
};

}  // namespace sim
