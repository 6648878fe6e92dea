#include "Engine.h"

#include <algorithm>
#include <ctime>
#include <limits>
#include <utility>

#include "Rules.h"
#include "param/ChamberMessages.h"
#include "param/UserExtraData.h"

namespace rules {

namespace {

// Holders of the starting world took office a week before it starts.
constexpr std::int64_t kTenureBeforeStart = 7 * kDay;

CString Text(std::string_view utf8) {
    return CString::FromUtf8(utf8);
}

// "自 2024-02-23 20:00 起任职" in the server's time zone.
std::string TenureText(std::int64_t since) {
    const std::time_t t = static_cast<std::time_t>(since + kServerUtcOffset);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", &tm);
    return std::string("自 ") + date + " 起任职";
}

CString Settings(const PostDef& post, const RankRules& rank) {
    const std::string control = "每天可禁言 " + std::to_string(rank.mutesPerDay) + " 次，每次最长 " +
                                std::to_string(rank.muteSeconds / 60) + " 分钟";
    return MakeUserExtraData({{u"Power", Text(rank.power)},
                              {u"Price", Text(std::to_string(rank.price))},
                              {u"Desc", Text(post.desc)},
                              {u"Awards", Text(rank.awards)},
                              {u"Conditions", Text(rank.conditions)},
                              {u"PControl", Text(control)}});
}

// A time as the protocol carries it: signed 32-bit seconds, saturated at both ends.
int Seconds32(std::int64_t time) {
    return static_cast<int>(
        std::clamp<std::int64_t>(time, std::numeric_limits<std::int32_t>::min(), kLastTime));
}

// A player whose wallet lies within the engine's bounds, whatever its source said.
Player Bounded(Player player) {
    player.coins = std::clamp(player.coins, 0, kMaxCoins);
    player.ballots = std::clamp(player.ballots, 0, kMaxBallots);
    return player;
}

}  // namespace

Engine::Engine(const EngineOptions& options, std::int64_t start)
    : m_world(StartingWorld()), m_options(options), m_random(options.seed) {
    m_state.now = start;
    for (const Player& player : m_world.players) {
        m_state.players.emplace(player.id, player);
        m_playerByName.emplace(player.name, player.id);
    }
    for (const auto& [jobId, playerId] : m_world.holders) {
        m_state.holders[jobId] = {playerId, start - kTenureBeforeStart};
    }
    for (const InitialApplication& initial : m_world.applications) {
        const int target =
            initial.type == UniteApplyJob::kImpeachment ? HolderOf(initial.jobId) : initial.playerId;
        m_state.applications.push_back({m_state.nextApplyId++, initial.jobId, initial.type, initial.playerId,
                                        target, start + initial.startOffset, start + initial.endOffset});
    }
    // Elections already under way have had some votes from the other players.
    for (Application& application : m_state.applications) {
        if (application.startTime < start) {
            application.agree = m_random.Below(40);
            application.oppose = m_random.Below(15);
        }
    }
}

Engine::Engine(const EngineOptions& options, WorldState state)
    : m_world(StartingWorld()), m_options(options), m_random(options.seed), m_state(std::move(state)) {
    m_state.now = std::min(m_state.now, kLastTime);
    for (auto& [id, player] : m_state.players) {
        player = Bounded(player);
        m_playerByName.emplace(player.name, id);
    }
}

const Player* Engine::FindPlayer(std::string_view name) const {
    const auto it = m_playerByName.find(name);
    return it != m_playerByName.end() ? PlayerById(it->second) : nullptr;
}

const Player* Engine::PlayerById(int id) const {
    const auto it = m_state.players.find(id);
    return it != m_state.players.end() ? &it->second : nullptr;
}

Player* Engine::MutablePlayer(int id) {
    const auto it = m_state.players.find(id);
    return it != m_state.players.end() ? &it->second : nullptr;
}

void Engine::AdoptPlayer(const Player& player) {
    m_state.players.insert_or_assign(player.id, Bounded(player));
    m_playerByName.insert_or_assign(player.name, player.id);
}

const PostDef* Engine::Post(int jobId) const {
    const auto it = std::find_if(m_world.posts.begin(), m_world.posts.end(),
                                 [jobId](const PostDef& post) { return post.jobId == jobId; });
    return it != m_world.posts.end() ? &*it : nullptr;
}

const RankRules& Engine::RulesOf(int jobId) const {
    return m_world.ranks.at(Post(jobId)->rank);
}

int Engine::HolderOf(int jobId) const {
    const auto it = m_state.holders.find(jobId);
    return it != m_state.holders.end() ? it->second.playerId : 0;
}

int Engine::PostOf(int playerId) const {
    for (const auto& [jobId, holding] : m_state.holders) {
        if (holding.playerId == playerId) {
            return jobId;
        }
    }
    return 0;
}

void Engine::SetHolder(int jobId, int playerId, std::int64_t since) {
    if (playerId == 0) {
        m_state.holders.erase(jobId);
    } else {
        m_state.holders[jobId] = {playerId, since};
    }
    m_changes.posts.insert(jobId);
}

void Engine::AddApplication(const Application& application) {
    m_state.applications.push_back(application);
    m_changes.applications.insert(application.applyId);
}

Application* Engine::FindApplication(int applyId) {
    const auto it =
        std::find_if(m_state.applications.begin(), m_state.applications.end(),
                     [applyId](const Application& application) { return application.applyId == applyId; });
    return it != m_state.applications.end() ? &*it : nullptr;
}

const Application* Engine::RunningElection(int jobId) const {
    for (const Application& application : m_state.applications) {
        if (application.jobId == jobId && application.type == UniteApplyJob::kCandidacy) {
            return &application;
        }
    }
    return nullptr;
}

std::int64_t Engine::ServerDay(std::int64_t time) {
    return (time + kServerUtcOffset) / kDay;
}

std::string Engine::IdentityOf(int playerId) const {
    const Player* player = PlayerById(playerId);
    const int post = PostOf(playerId);
    const int level = post > 0 ? Post(post)->rank + 1 : 0;
    return MakeUserExtraData({{u"UserId", Text(std::to_string(playerId))},
                              {u"level", Text(std::to_string(level))},
                              {u"family", Text(std::to_string(player != nullptr ? player->kingdom : 0))}})
        .ToUtf8();
}

void Engine::SetWallet(int playerId, int coins, int ballots) {
    if (Player* player = MutablePlayer(playerId)) {
        *player = Bounded({player->id, player->name, player->kingdom, coins, ballots});
        m_changes.players.insert(playerId);
    }
}

std::int64_t Engine::LiftMute(int playerId) {
    const auto it = m_state.mutedUntil.find(playerId);
    if (it == m_state.mutedUntil.end() || it->second <= m_state.now) {
        return 0;
    }
    const std::int64_t until = std::exchange(it->second, m_state.now);
    m_changes.mutedUntil.insert(playerId);
    return until;
}

void Engine::Connect(int playerId) {
    SendJobTable(ChamberMsg::kJobTableWithClock, playerId);
    SendAllApplications(playerId);
}

Outcome Engine::Receive(int playerId, int id, const char* image, int length) {
    CKParam request;
    if (request.SetBufferPtr(image, length) != 0) {
        return Outcome::Ignored;
    }
    // The result goes out before the tables and lists that a request changes.
    const std::size_t followUps = m_outbox.size();
    CKParam result;
    switch (id) {
        case ChamberMsg::kApply:
            result = Apply(playerId, request);
            break;
        case ChamberMsg::kImpeach:
            result = Impeach(playerId, request);
            break;
        case ChamberMsg::kVote:
            result = Vote(playerId, request);
            break;
        case ChamberMsg::kMute:
            result = Mute(playerId, request);
            break;
        default:
            return Outcome::Ignored;
    }
    const char* bytes = result.GetBufferPtr();
    m_outbox.insert(m_outbox.begin() + static_cast<std::ptrdiff_t>(followUps),
                    Message{id + 1, std::vector<char>(bytes, bytes + result.GetLength()), playerId});
    return ChamberMsg::ReadResult(result).Succeeded() ? Outcome::Accepted : Outcome::Refused;
}

std::vector<Message> Engine::TakeMessages() {
    return std::exchange(m_outbox, {});
}

Changes Engine::TakeChanges() {
    return std::exchange(m_changes, {});
}

UniteApplyJob Engine::Record(const Application& application) const {
    const Player* target = PlayerById(application.targetId);
    UniteApplyJob record;
    record.applyId = application.applyId;
    record.jobId = application.jobId;
    record.applyType = application.type;
    record.applyExtra1 = 0;
    record.userId = application.playerId;
    if (application.type == UniteApplyJob::kImpeachment) {
        record.actionUserName = Text(PlayerById(application.playerId)->name);
    }
    record.userName = Text(target->name);
    record.kingdomName = Text(m_world.kingdoms.at(target->kingdom - 1).name);
    record.startTime = Seconds32(application.startTime);
    record.endTime = Seconds32(application.endTime);
    record.agreeVotes = application.agree;
    record.opposeVotes = application.oppose;
    return record;
}

void Engine::SendJobTable(int id, int to) {
    CKParam packet;
    packet.SetInt(ChamberMsg::Field::kCount, static_cast<int>(m_world.posts.size()));
    for (std::size_t i = 0; i < m_world.posts.size(); ++i) {
        const PostDef& post = m_world.posts[i];
        ChamberJob job;
        job.jobId = post.jobId;
        job.jobName = Text(post.name);
        job.jobRank = post.rank;
        job.jobExtra1 = 0;
        job.holderId = 0;
        job.extraData = Settings(post, m_world.ranks.at(post.rank));
        job.jobExtra2 = 0;
        if (const auto it = m_state.holders.find(post.jobId); it != m_state.holders.end()) {
            const Player& holder = *PlayerById(it->second.playerId);
            job.holderId = holder.id;
            job.holderName = Text(holder.name);
            job.kingdomName = Text(m_world.kingdoms.at(holder.kingdom - 1).name);
            job.jobTime = Text(TenureText(it->second.since));
        }
        WriteJob(packet, static_cast<int>(i), job);
    }
    if (id == ChamberMsg::kJobTableWithClock) {
        packet.SetInt(ChamberMsg::Field::kClock, Seconds32(m_state.now));
    }
    Send(id, packet, to);
}

void Engine::SendApplications(int id, const std::vector<const Application*>& entries, int to) {
    CKParam packet;
    packet.SetInt(ChamberMsg::Field::kCount, static_cast<int>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        WriteApplication(packet, static_cast<int>(i), Record(*entries[i]));
    }
    Send(id, packet, to);
}

void Engine::SendAllApplications(int to) {
    std::vector<const Application*> all;
    for (const Application& application : m_state.applications) {
        all.push_back(&application);
    }
    SendApplications(ChamberMsg::kApplicationList, all, to);
}

void Engine::Send(int id, const CKParam& packet, int to, int entryKey) {
    const char* image = packet.GetBufferPtr();
    m_outbox.push_back({id, std::vector<char>(image, image + packet.GetLength()), to, entryKey});
}

}  // namespace rules
