// The rules engine against a small model of the rules, written from the tables of server/README.md
// and sharing no code with the engine. Players send random requests, hostile numbers among them
// (0, negative, INT_MIN, INT_MAX, more than any wallet holds, unknown ids, fields of the wrong type);
// the clock jumps, onto the edges of voting windows and past the end of 32-bit time; and the world
// is committed to the store and the engine built again from what the store loads, as chamber-server
// does when it restarts. After every step the results, wallets, holders and applications must agree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "Engine.h"
#include "Store.h"
#include "param/ChamberMessages.h"

namespace {

using std::int64_t;
using namespace ChamberMsg;

constexpr int kKing = 2001;
constexpr int64_t kB = 1'000'000'000;
constexpr int64_t kHostile[] = {0, -1, 1, INT_MIN, INT_MAX, -INT_MAX, kB, -kB, kB + 1, -kB - 1};

// A result as the player reads it: field 31 and the reason.
using Answer = std::pair<int, std::string>;
const Answer kDone = {1, ""};

// The first refusal whose condition holds, in the order of the rules tables.
std::optional<Answer> Refused(std::initializer_list<std::pair<bool, const char*>> checks) {
    for (const auto& [refused, reason] : checks) {
        if (refused) {
            return Answer{0, reason};
        }
    }
    return std::nullopt;
}

// The rules as server/README.md tells them, in 64-bit numbers that cannot overflow.
class Model {
public:
    static constexpr int64_t kMaxWallet = kB, kMaxCount = INT_MAX, kLastTime = INT_MAX;
    struct Record {
        int64_t id, job, type, player, target, start, end, agree = 0, oppose = 0;
    };

    // The starting world, as the store seeded it.
    explicit Model(const rules::WorldState& world) : now(world.now), nextId(world.nextApplyId) {
        for (const auto& [id, player] : world.players) {
            SetWallet(id, player.coins, player.ballots);
            names[player.name] = id;
        }
        for (const auto& [job, holding] : world.holders) {
            holders[job] = holding.playerId;
        }
        for (const rules::Application& a : world.applications) {
            records.push_back({a.applyId, a.jobId, a.type, a.playerId, a.targetId, a.startTime, a.endTime,
                               a.agree, a.oppose});
        }
    }

    void SetWallet(int player, int64_t coins, int64_t ballots) {
        wallets[player] = {std::clamp<int64_t>(coins, 0, kMaxWallet),
                           std::clamp<int64_t>(ballots, 0, kMaxWallet)};
    }
    int64_t PostOf(int64_t player) const {
        const auto it =
            std::find_if(holders.begin(), holders.end(), [player](auto& h) { return h.second == player; });
        return it != holders.end() ? it->first : 0;
    }
    Record* Find(auto match) {
        const auto it = std::find_if(records.begin(), records.end(), match);
        return it != records.end() ? &*it : nullptr;
    }
    bool MayApply(int player) {
        return PostOf(player) == 0 && !Find([player](auto& r) { return r.type == 1 && r.player == player; });
    }

    Answer Apply(int player, int64_t job) {
        const Record* mine = Find([player](auto& r) { return r.type == 1 && r.player == player; });
        const Record* election = Find([job](auto& r) { return r.type == 1 && r.job == job; });
        const int64_t price = kPrice[Rank(job)];
        if (auto no = Refused({{job < 1 || job > 15, "职位不存在"},
                               {holders.contains(job), "该职位已有人担任"},
                               {PostOf(player) != 0, "您已担任其他职位"},
                               {mine && mine->job == job, "您已申请过该职位"},
                               {mine != nullptr, "您正在竞选其他职位"},
                               {wallets[player].first < price, "M币不足"},
                               {election && now > election->start, "报名已截止"},
                               {!election && Rank(job) <= 1 && now + 3600 + 86400 > kLastTime,
                                "结束时间超出服务器时间范围"}})) {
            return *no;
        }
        wallets[player].first -= price;
        if (!election && Rank(job) >= 2) {
            holders[job] = player;
            return kDone;
        }
        const int64_t start = election ? election->start : now + 3600;
        records.push_back(
            {nextId++, job, 1, player, player, start, election ? election->end : start + 86400});
        return kDone;
    }

    Answer Impeach(int king, int64_t job) {
        const int64_t price = 3 * kPrice[Rank(job)];
        if (auto no = Refused({{job < 1 || job > 15, "职位不存在"},
                               {PostOf(king) != 1, "只有国王才能发起弹劾"},
                               {!holders.contains(job), "该职位空缺，无法弹劾"},
                               {job == 1, "国王不能弹劾自己"},
                               {Find([job](auto& r) { return r.type == -1 && r.job == job; }) != nullptr,
                                "该职位正在被弹劾"},
                               {wallets[king].first < price, "M币不足"},
                               {now + 300 + 12 * 3600 > kLastTime, "结束时间超出服务器时间范围"}})) {
            return *no;
        }
        wallets[king].first -= price;
        records.push_back({nextId++, job, -1, king, holders.at(job), now + 300, now + 300 + 12 * 3600});
        return kDone;
    }

    Answer Vote(int player, int64_t id, int64_t votes) {
        Record* r = Find([id](auto& record) { return record.id == id; });
        const int64_t ballots = std::abs(votes);
        int64_t* count = r == nullptr ? nullptr : votes > 0 ? &r->agree : &r->oppose;
        if (auto no = Refused({{votes == 0 || ballots > kMaxWallet, "票数无效"},
                               {r == nullptr, "投票对象不存在"},
                               {r && now <= r->start, "投票还没开始"},
                               {r && now >= r->end, "投票已结束"},
                               {r && r->target == player && r->type == 1, "不能给自己投票"},
                               {r && r->target == player, "不能对自己的弹劾投票"},
                               {wallets[player].second < ballots, "选票不足"},
                               {count && *count + ballots > kMaxCount, "票数已达上限"}})) {
            return *no;
        }
        wallets[player].second -= ballots;
        *count += ballots;
        return kDone;
    }

    Answer Mute(int player, const std::string& name, std::optional<int64_t> seconds) {
        const int rank = Rank(PostOf(player));
        const auto target = names.find(name);
        int64_t& used = m_mutesUsed[{player, (now + 8 * 3600) / 86400}];  // days turn at midnight UTC+8
        if (auto no =
                Refused({{seconds && *seconds <= 0, "禁言时长无效"},
                         {PostOf(player) == 0, "您没有职位，不能禁言"},
                         {target == names.end(), "查无此人"},
                         {target != names.end() && target->second == player, "不能禁言自己"},
                         {target != names.end() && m_mutedUntil[target->second] > now, "该玩家正在禁言中"},
                         {used >= kMutes[rank], "今天的禁言次数已用完"}})) {
            return *no;
        }
        m_mutedUntil[target->second] = now + std::min(seconds.value_or(INT64_MAX), kLongestMute[rank]);
        ++used;
        return kDone;
    }

    // Time passes: records close at their end times, the earliest first.
    void Advance(int64_t time) {
        time = std::min(time, kLastTime);
        while (!records.empty()) {
            const int64_t end = std::min_element(records.begin(), records.end(), [](auto& a, auto& b) {
                                    return a.end < b.end;
                                })->end;
            if (end > time) {
                break;
            }
            now = std::max(now, end);
            std::map<int64_t, const Record*> winners;  // the best candidate of each election
            for (const Record& r : records) {
                if (r.end == end && r.type == -1 && r.agree > r.oppose && holders.contains(r.job) &&
                    holders.at(r.job) == r.target) {
                    holders.erase(r.job);
                }
                const Record*& best = winners[r.job];
                if (r.end == end && r.type == 1 && PostOf(r.player) == 0 &&
                    (!best || r.agree - r.oppose > best->agree - best->oppose)) {
                    best = &r;  // most votes for less against; on a tie the earlier candidate
                }
            }
            for (const auto& [job, best] : winners) {
                if (best && !holders.contains(job)) {
                    holders[job] = static_cast<int>(best->player);
                }
            }
            std::erase_if(records, [end](const Record& r) { return r.end == end; });
        }
        now = std::max(now, time);
    }

    int64_t now, nextId;
    std::map<int, std::pair<int64_t, int64_t>> wallets;  // coins, ballots
    std::map<std::string, int> names;
    std::map<int64_t, int> holders;  // post -> player
    std::vector<Record> records;

private:
    static int Rank(int64_t job) { return job == 1 ? 0 : job <= 3 ? 1 : job <= 7 ? 2 : 3; }
    static constexpr int64_t kPrice[] = {2000, 800, 300, 120}, kMutes[] = {10, 6, 4, 2};
    static constexpr int64_t kLongestMute[] = {3600, 3600, 1800, 1200};

    std::map<std::pair<int, int64_t>, int64_t> m_mutesUsed;  // (player, server day)
    std::map<int64_t, int64_t> m_mutedUntil;
};

// The engine as chamber-server runs it: built from what its store loads, its changes committed.
class Server {
public:
    explicit Server(std::string db) : m_db(std::move(db)) { Restart(); }

    rules::Engine& Engine() { return *m_engine; }
    store::Store& Store() { return *m_store; }
    // The changes of a step join the next commit, as the hall gathers them.
    void Step() {
        if (const rules::Changes changes = m_engine->TakeChanges(); !changes.Empty()) {
            m_batch.Add(changes, m_engine->State());
        }
        m_engine->TakeMessages();
    }
    // The process stops and starts again on the same file; what it gathered is committed first.
    void Restart() {
        if (m_store && m_batch.HasRows()) {
            m_store->Commit(std::exchange(m_batch, {}));
        }
        m_store.reset();
        m_store = store::OpenStore(m_db, rules::kWorldStart);
        m_engine =
            std::make_unique<rules::Engine>(rules::EngineOptions{.otherPlayersVote = false}, m_store->Load());
    }

private:
    std::string m_db;
    std::unique_ptr<store::Store> m_store;
    store::Batch m_batch;
    std::unique_ptr<rules::Engine> m_engine;
};

CKParam Packet(const rules::Message& message) {
    CKParam packet;
    packet.SetBufferPtr(message.image.data(), static_cast<int>(message.image.size()));
    return packet;
}

Answer Ask(rules::Engine& engine, int player, int id, const CKParam& request) {
    engine.Receive(player, id, request.GetBufferPtr(), request.GetLength());
    const std::vector<rules::Message> messages = engine.TakeMessages();
    const Result result = messages.empty() ? Result{} : ReadResult(Packet(messages[0]));
    return {result.result.value_or(-1), result.reason.value_or(CString()).ToUtf8()};
}

void ExpectSame(Model& model, const rules::Engine& engine) {
    EXPECT_EQ(engine.Now(), model.now);
    for (const auto& [id, wallet] : model.wallets) {
        const rules::Player* player = engine.PlayerById(id);
        ASSERT_NE(player, nullptr);
        EXPECT_EQ(std::make_pair(int64_t{player->coins}, int64_t{player->ballots}), wallet)
            << "player " << id;
    }
    std::map<int64_t, int> holders;
    for (const auto& [job, holding] : engine.State().holders) {
        holders[job] = holding.playerId;
    }
    EXPECT_EQ(holders, model.holders);
    using Row = std::tuple<int64_t, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t>;
    std::vector<Row> rows, expected;
    for (const rules::Application& a : engine.Applications()) {
        rows.emplace_back(a.applyId, a.jobId, a.type, a.playerId, a.targetId, a.startTime, a.endTime, a.agree,
                          a.oppose);
    }
    for (const Model::Record& r : model.records) {
        expected.emplace_back(r.id, r.job, r.type, r.player, r.target, r.start, r.end, r.agree, r.oppose);
    }
    EXPECT_EQ(rows, expected);
}

// One seeded run of `steps` random steps; every reason given is added to `reasons`.
void RunSeed(std::uint64_t seed, int steps, const std::string& db, std::set<std::string>& reasons) {
    std::filesystem::remove(db);
    Server server(db);
    Model model(server.Engine().State());
    std::mt19937_64 random(seed);
    const auto below = [&random](int64_t bound) { return static_cast<int64_t>(random() % bound); };
    const auto any = [&below](const auto& items) -> const auto& {
        return *std::next(items.begin(), below(std::ssize(items)));
    };
    const auto hostile = [&below] { return kHostile[below(std::ssize(kHostile))]; };
    std::vector<int> players;
    for (const auto& [id, wallet] : model.wallets) {
        players.push_back(id);
    }
    // A player the operator adds while the server runs, with a wallet that may lie beyond the
    // bounds; the engine learns of it at its first login.
    const auto join = [&](int64_t money) {
        const std::string name = "新" + std::to_string(players.size());
        server.Store().AddPlayer(name, 1, static_cast<int>(money), static_cast<int>(money), {});
        const rules::Player player = server.Store().FindAccount(name)->player;
        server.Engine().AdoptPlayer(player);
        model.SetWallet(player.id, money, money);
        model.names[name] = player.id;
        players.push_back(player.id);
    };
    for (const int64_t money : {int64_t{INT_MAX}, int64_t{-5}, int64_t{1'000'000'000}}) {
        join(money);
    }
    std::optional<Model::Record> edge;  // the record whose edge the clock last jumped onto
    int muter = 0;
    for (int step = 0; step < steps; ++step) {
        // The king impeaches; the players the operator added are rich enough to fill a count.
        int player = below(4) == 0   ? kKing
                     : below(3) == 0 ? players[players.size() - 1 - below(3)]
                                     : any(players);
        int64_t job = below(5) == 0 ? hostile() : edge && below(2) == 0 ? edge->job : 1 + below(15);
        CKParam packet;
        // Field 50 as a long is a field of the wrong type: it reads as absent, as 0.
        const bool mistyped = below(20) == 0;
        const auto field50 = [&packet, mistyped](int64_t value) {
            mistyped ? packet.SetLong(50, static_cast<long>(value))
                     : packet.SetInt(50, static_cast<int>(value));
            return mistyped ? 0 : value;
        };
        std::string what;
        std::optional<Answer> expected;
        int request = 0;
        if (const int64_t action = below(100); action < 15) {
            // Often one who may apply (no post, no candidacy), or a candidate once more.
            for (int tries = below(2) * 20; tries > 0 && !model.MayApply(player); --tries) {
                player = any(players);
            }
            if (const Model::Record* r = model.records.empty() ? nullptr : &any(model.records);
                r && r->type == 1 && below(4) == 0) {
                player = static_cast<int>(r->player);
                job = below(2) == 0 ? r->job : job;
            }
            what = "apply for " + std::to_string(job);
            expected = model.Apply(player, field50(job));
            request = kApply;
        } else if (action < 25) {
            what = "impeach " + std::to_string(job);
            expected = model.Impeach(player, field50(job));
            request = kImpeach;
        } else if (action < 50) {
            const int64_t target = model.records.empty() || below(5) == 0
                                       ? (below(2) == 0 ? model.nextId - 1 - below(3) : hostile())
                                   : edge && below(2) == 0 ? edge->id
                                                           : any(model.records).id;
            const int64_t sign = below(2) == 0 ? 1 : -1;
            const int64_t kinds[] = {sign * (1 + below(5)), sign * model.wallets[player].second,
                                     sign * (1 + below(1'000'000'000)), 1'000'000'000, hostile()};
            const int64_t votes = kinds[below(5)];
            if (votes == 1'000'000'000) {
                // A whale: given every ballot a wallet may hold, and voting them all.
                model.SetWallet(player, model.wallets[player].first, votes);
                server.Engine().SetWallet(player, static_cast<int>(model.wallets[player].first), votes);
            }
            what = "vote " + std::to_string(votes) + " on " + std::to_string(target);
            expected = model.Vote(player, field50(target), votes);
            packet.SetInt(60, static_cast<int>(votes));
            request = kVote;
        } else if (action < 65) {
            // Often a holder, and then often the one who muted last: the day's mutes run out.
            if (below(2) == 0 && !model.holders.empty()) {
                player = muter = below(2) == 0 && muter != 0 ? muter : any(model.holders).second;
            }
            const std::string name = below(8) == 0 ? "无名氏" : below(8) == 0 ? "" : any(model.names).first;
            const int64_t kinds[] = {1200, 3600, 1 + below(2 * 86400), hostile()};
            const std::optional<int64_t> seconds =
                below(10) == 0 ? std::nullopt : std::optional(kinds[below(4)]);
            what = "mute " + name + " for " + (seconds ? std::to_string(*seconds) : "no time");
            expected = model.Mute(player, name, seconds);
            packet.SetCString(50, CString::FromUtf8(name));
            packet.SetInt(60, 1);
            if (seconds) {
                packet.SetInt(70, static_cast<int>(*seconds));
            }
            request = kMute;
        } else if (action < 88) {
            // The clock jumps: a little, a lot, onto the edge of a voting window (yet to start, half
            // the time), backwards, or late in a run towards and past the end of 32-bit time.
            const int64_t kind = below(100);
            int64_t time = model.now + (kind < 50 ? below(600) : below(2 * 86400));
            if (kind >= 55 && kind < 85 && !model.records.empty()) {
                edge = any(model.records);
                for (const Model::Record& record : model.records) {
                    edge = record.start > model.now && below(2) == 0 ? record : *edge;
                }
                time = (below(2) == 0 ? edge->start : edge->end) + below(3) - 1;
            } else if (kind >= 85 && kind < 93) {
                time = model.now - below(1000);
            } else if (kind >= 93 && step > steps * 3 / 4) {
                time = kind == 99 ? INT64_MAX / 2 : Model::kLastTime - below(3 * 86400);
            }
            what = "the clock to " + std::to_string(time);
            model.Advance(time);
            server.Engine().AdvanceTo(time);
            server.Engine().Connect(player);
            EXPECT_EQ(ReadClock(Packet(server.Engine().TakeMessages().at(0))), model.now)
                << "the clock shown";
        } else if (action < 95) {
            const int64_t coins = below(2) == 0 ? hostile() : below(1'000'000'001);
            const int64_t ballots = below(3) == 0 ? hostile() : below(2) == 0 ? 1'000'000'000 : below(1000);
            what = "wallet " + std::to_string(coins) + " " + std::to_string(ballots);
            model.SetWallet(player, coins, ballots);
            server.Engine().SetWallet(player, static_cast<int>(coins), static_cast<int>(ballots));
        } else {
            what = "restart";
            server.Step();
            server.Restart();
            server.Engine().AdvanceTo(model.now);
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step) + ": player " +
                     std::to_string(player) + " " + what +
                     (mistyped && request ? " (field 50 mistyped)" : ""));
        if (request != 0) {
            EXPECT_EQ(Ask(server.Engine(), player, request, packet), *expected);
            reasons.insert(expected->second);
        }
        server.Step();
        ExpectSame(model, server.Engine());
        if (::testing::Test::HasFailure()) {
            return;
        }
    }
}

TEST(RulesPropertyTest, TheEngineAgreesWithTheRulesTables) {
    // A file in memory where there is one: the store flushes every commit to the disk.
    const std::string db = (std::filesystem::is_directory("/dev/shm") ? "/dev/shm/" : ::testing::TempDir()) +
                           "rules-property-" + std::to_string(getpid()) + ".db";
    std::set<std::string> reasons;
    for (std::uint64_t seed = 1; seed <= 40 && !::testing::Test::HasFailure(); ++seed) {
        RunSeed(seed, 400, db, reasons);
    }
    std::filesystem::remove(db);
    // Every road of the tables was taken: requests succeeded, and each reason was given but
    // "投票已结束": a record closes as soon as the clock reaches its end, before any later vote.
    EXPECT_EQ(reasons.size(), 26u) << ::testing::PrintToString(reasons);
}

}  // namespace
