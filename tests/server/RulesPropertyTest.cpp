// The rules engine against a small model of the rules, written from the tables of server/README.md
// and sharing no code with the engine. Players send random requests, hostile numbers among them
// (0, negative, INT_MIN, INT_MAX, more than any wallet holds, unknown ids, fields of the wrong type);
// the clock jumps, onto the edges of voting windows and past the end of 32-bit time; and the world
// is committed to the store and the engine built again from what the store loads, as chamber-server
// does when it restarts. After every step the results, wallets, holders and applications must agree.
#include <gtest/gtest.h>

#include <unistd.h>
#include <climits>
#include <filesystem>
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

// A result as the player reads it: field 31, the reason and the numbers the result carries.
struct Answer {
    int result = 1;
    std::string reason;
    std::vector<int64_t> numbers;
    bool operator==(const Answer&) const = default;
};

void PrintTo(const Answer& answer, std::ostream* out) {
    *out << answer.result << " \"" << answer.reason << "\" " << ::testing::PrintToString(answer.numbers);
}

Answer No(const char* reason) {
    return {0, reason, {}};
}

// The rules as server/README.md tells them, in 64-bit numbers that cannot overflow.
struct Model {
    static constexpr int64_t kMaxWallet = 1'000'000'000, kMaxCount = INT_MAX, kLastTime = INT_MAX;
    static constexpr int64_t kPrice[] = {2000, 800, 300, 120}, kMutes[] = {10, 6, 4, 2};
    static constexpr int64_t kLongestMute[] = {3600, 3600, 1800, 1200};
    struct Wallet {
        int64_t coins, ballots;
    };
    struct Record {
        int64_t id, job, type, player, target, start, end, agree, oppose;
    };

    int64_t now;
    std::map<int, Wallet> wallets;
    std::map<std::string, int> names;
    std::map<int, int> holders;  // post -> player
    std::vector<Record> records;
    int64_t nextId;
    std::map<std::pair<int, int64_t>, int64_t> mutesUsed;  // (player, day)
    std::map<int, int64_t> mutedUntil;

    static int Rank(int64_t job) { return job == 1 ? 0 : job <= 3 ? 1 : job <= 7 ? 2 : 3; }
    int PostOf(int player) const {
        for (const auto& [job, holder] : holders) {
            if (holder == player) {
                return job;
            }
        }
        return 0;
    }
    bool MayApply(int player) const {
        return PostOf(player) == 0 && std::none_of(records.begin(), records.end(), [player](const Record& r) {
                   return r.type == 1 && r.player == player;
               });
    }
    Record* Find(int64_t id) {
        for (Record& record : records) {
            if (record.id == id) {
                return &record;
            }
        }
        return nullptr;
    }
    void SetWallet(int player, int64_t coins, int64_t ballots) {
        wallets[player] = {std::clamp<int64_t>(coins, 0, kMaxWallet),
                           std::clamp<int64_t>(ballots, 0, kMaxWallet)};
    }

    Answer Apply(int player, int64_t job) {
        if (job < 1 || job > 15) {
            return No("职位不存在");
        }
        if (holders.contains(static_cast<int>(job))) {
            return No("该职位已有人担任");
        }
        if (PostOf(player) != 0) {
            return No("您已担任其他职位");
        }
        for (const Record& record : records) {
            if (record.type == 1 && record.player == player) {
                return No(record.job == job ? "您已申请过该职位" : "您正在竞选其他职位");
            }
        }
        Wallet& wallet = wallets.at(player);
        if (wallet.coins < kPrice[Rank(job)]) {
            return No("M币不足");
        }
        const Record* election = nullptr;
        for (const Record& record : records) {
            election = election == nullptr && record.type == 1 && record.job == job ? &record : election;
        }
        if (election != nullptr && now > election->start) {
            return No("报名已截止");
        }
        if (election == nullptr && Rank(job) <= 1 && now + 3600 + 86400 > kLastTime) {
            return No("结束时间超出服务器时间范围");
        }
        wallet.coins -= kPrice[Rank(job)];
        if (election == nullptr && Rank(job) >= 2) {
            holders[static_cast<int>(job)] = player;
            return {1, "", {1}};
        }
        const int64_t start = election != nullptr ? election->start : now + 3600;
        const int64_t end = election != nullptr ? election->end : start + 86400;
        records.push_back({nextId++, job, 1, player, player, start, end, 0, 0});
        return {1, "", {0}};
    }

    Answer Impeach(int player, int64_t job) {
        if (job < 1 || job > 15) {
            return No("职位不存在");
        }
        if (PostOf(player) != 1) {
            return No("只有国王才能发起弹劾");
        }
        if (!holders.contains(static_cast<int>(job))) {
            return No("该职位空缺，无法弹劾");
        }
        if (job == 1) {
            return No("国王不能弹劾自己");
        }
        for (const Record& record : records) {
            if (record.type == -1 && record.job == job) {
                return No("该职位正在被弹劾");
            }
        }
        if (wallets.at(player).coins < 3 * kPrice[Rank(job)]) {
            return No("M币不足");
        }
        if (now + 300 + 12 * 3600 > kLastTime) {
            return No("结束时间超出服务器时间范围");
        }
        wallets.at(player).coins -= 3 * kPrice[Rank(job)];
        records.push_back({nextId++, job, -1, player, holders.at(static_cast<int>(job)), now + 300,
                           now + 300 + 12 * 3600, 0, 0});
        return {1, "", {}};
    }

    Answer Vote(int player, int64_t target, int64_t votes) {
        if (votes == 0 || votes > kMaxWallet || votes < -kMaxWallet) {
            return No("票数无效");
        }
        Record* record = Find(target);
        if (record == nullptr) {
            return No("投票对象不存在");
        }
        if (now <= record->start) {
            return No("投票还没开始");
        }
        if (now >= record->end) {
            return No("投票已结束");
        }
        if (record->target == player) {
            return No(record->type == 1 ? "不能给自己投票" : "不能对自己的弹劾投票");
        }
        const int64_t ballots = std::abs(votes);
        if (wallets.at(player).ballots < ballots) {
            return No("选票不足");
        }
        int64_t& count = votes > 0 ? record->agree : record->oppose;
        if (count + ballots > kMaxCount) {
            return No("票数已达上限");
        }
        wallets.at(player).ballots -= ballots;
        count += ballots;
        return {1, "", {ballots}};
    }

    Answer Mute(int player, const std::string& name, std::optional<int64_t> seconds) {
        if (seconds && *seconds <= 0) {
            return No("禁言时长无效");
        }
        const int post = PostOf(player);
        if (post == 0) {
            return No("您没有职位，不能禁言");
        }
        if (!names.contains(name)) {
            return No("查无此人");
        }
        const int target = names.at(name);
        if (target == player) {
            return No("不能禁言自己");
        }
        if (mutedUntil[target] > now) {
            return No("该玩家正在禁言中");
        }
        int64_t& used = mutesUsed[{player, (now + 8 * 3600) / 86400}];
        if (used >= kMutes[Rank(post)]) {
            return No("今天的禁言次数已用完");
        }
        mutedUntil[target] = now + std::min(seconds.value_or(INT64_MAX), kLongestMute[Rank(post)]);
        return {1, "", {used++, kMutes[Rank(post)]}};
    }

    // Time passes: records close at their end times, in order.
    void Advance(int64_t time) {
        time = std::min(time, kLastTime);
        while (true) {
            int64_t next = INT64_MAX;
            for (const Record& record : records) {
                next = std::min(next, record.end);
            }
            if (next > time) {
                break;
            }
            now = std::max(now, next);
            for (const Record& record : records) {
                if (record.end == next && record.type == -1 && record.agree > record.oppose &&
                    holders[static_cast<int>(record.job)] == record.target) {
                    holders.erase(static_cast<int>(record.job));
                }
                if (record.end == next && record.type == 1) {
                    CloseElection(record.job, next);
                }
            }
            std::erase_if(records, [next](const Record& record) { return record.end == next; });
        }
        now = std::max(now, time);
    }

    // The candidate with most votes for less against who holds no post; on a tie the earlier one.
    void CloseElection(int64_t job, int64_t end) {
        const Record* best = nullptr;
        for (const Record& record : records) {
            if (record.type == 1 && record.job == job && record.end == end && PostOf(record.player) == 0 &&
                (best == nullptr || record.agree - record.oppose > best->agree - best->oppose)) {
                best = &record;
            }
        }
        if (best != nullptr && !holders.contains(static_cast<int>(job))) {
            holders[static_cast<int>(job)] = static_cast<int>(best->player);
        }
    }
};

// The engine as chamber-server runs it: built from what its store loads, its changes committed.
class Server {
public:
    explicit Server(std::string db) : m_db(std::move(db)) { Restart(); }

    rules::Engine& Engine() { return *m_engine; }
    store::Store& Store() { return *m_store; }
    // The changes of a step join the next commit, as the hall gathers them.
    void Step() {
        const rules::Changes changes = m_engine->TakeChanges();
        if (!changes.Empty()) {
            m_batch.Add(changes, m_engine->State());
        }
        m_engine->TakeMessages();
    }
    // The process stops and starts again on the same file; the batch it was gathering is committed.
    void Restart() {
        if (m_store && m_batch.HasRows()) {
            m_store->Commit(std::exchange(m_batch, {}));
        }
        m_store.reset();
        m_store = std::make_unique<store::Store>(m_db, rules::kWorldStart);
        m_engine =
            std::make_unique<rules::Engine>(rules::EngineOptions{.otherPlayersVote = false}, m_store->Load());
    }

private:
    std::string m_db;
    std::unique_ptr<store::Store> m_store;
    store::Batch m_batch;
    std::unique_ptr<rules::Engine> m_engine;
};

std::optional<Answer> Ask(rules::Engine& engine, int player, int id, const CKParam& request) {
    engine.Receive(player, id, request.GetBufferPtr(), request.GetLength());
    const std::vector<rules::Message> messages = engine.TakeMessages();
    if (messages.empty()) {
        return std::nullopt;
    }
    CKParam packet;
    packet.SetBufferPtr(messages[0].image.data(), static_cast<int>(messages[0].image.size()));
    const ChamberMsg::Result result = ChamberMsg::ReadResult(packet);
    Answer answer{result.result.value_or(-1), result.reason.value_or(CString()).ToUtf8(), {}};
    const std::vector<short> numbers = id == ChamberMsg::kApply  ? std::vector<short>{34}
                                       : id == ChamberMsg::kVote ? std::vector<short>{33}
                                       : id == ChamberMsg::kMute ? std::vector<short>{36, 37}
                                                                 : std::vector<short>{};
    for (const short field : result.Succeeded() ? numbers : std::vector<short>{}) {
        int value = -1;
        packet.GetInt(field, value);
        answer.numbers.push_back(value);
    }
    return answer;
}

using Row = std::tuple<int64_t, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t>;

void ExpectSame(const Model& model, const rules::Engine& engine) {
    EXPECT_EQ(engine.Now(), model.now);
    for (const auto& [id, wallet] : model.wallets) {
        const rules::Player* player = engine.PlayerById(id);
        ASSERT_NE(player, nullptr);
        EXPECT_EQ(player->coins, wallet.coins) << "the coins of player " << id;
        EXPECT_EQ(player->ballots, wallet.ballots) << "the ballots of player " << id;
    }
    std::map<int, int> holders;
    for (const auto& [job, holding] : engine.State().holders) {
        holders[job] = holding.playerId;
    }
    EXPECT_EQ(holders, model.holders);
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
    Model model{server.Engine().Now(), {}, {}, {}, {}, server.Engine().State().nextApplyId, {}, {}};
    for (const auto& [id, player] : server.Engine().State().players) {
        model.SetWallet(id, player.coins, player.ballots);
        model.names[player.name] = id;
    }
    for (const auto& [job, holding] : server.Engine().State().holders) {
        model.holders[job] = holding.playerId;
    }
    for (const rules::Application& a : server.Engine().Applications()) {
        model.records.push_back(
            {a.applyId, a.jobId, a.type, a.playerId, a.targetId, a.startTime, a.endTime, a.agree, a.oppose});
    }
    std::mt19937_64 random(seed);
    const auto below = [&random](int64_t bound) { return static_cast<int64_t>(random() % bound); };
    const auto any = [&below](const auto& items) -> const auto& {
        return *std::next(items.begin(), below(static_cast<int64_t>(items.size())));
    };
    const auto hostile = [&below] {
        constexpr int64_t kValues[] = {0,
                                       -1,
                                       1,
                                       INT_MIN,
                                       INT_MAX,
                                       -INT_MAX,
                                       1'000'000'000,
                                       -1'000'000'000,
                                       1'000'000'001,
                                       -1'000'000'001};
        return kValues[below(std::size(kValues))];
    };
    std::vector<int> players;
    for (const auto& [id, wallet] : model.wallets) {
        players.push_back(id);
    }
    // A player the operator adds while the server runs, with a wallet that may lie beyond the
    // bounds (the engine holds it within them); the engine learns of it at its first login.
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
    // The record whose edge the clock last jumped onto: requests then aim at it often.
    std::optional<Model::Record> edge;
    int muter = 0;
    for (int step = 0; step < steps; ++step) {
        // The king impeaches; the players the operator added are rich enough to fill a count.
        int player = below(4) == 0   ? 2001
                     : below(3) == 0 ? players[players.size() - 1 - below(3)]
                                     : any(players);
        int64_t job = below(5) == 0 ? hostile() : edge && below(2) == 0 ? edge->job : 1 + below(15);
        // An int field of the wrong type reads as absent: as 0.
        const bool mistyped = below(20) == 0;
        const auto request = [mistyped](short field, int64_t value) {
            CKParam packet;
            mistyped ? packet.SetLong(field, static_cast<long>(value))
                     : packet.SetInt(field, static_cast<int>(value));
            return packet;
        };
        std::string what;
        std::optional<Answer> expected, actual;
        const int64_t action = below(100);
        if (action < 15) {
            // Often one of those who may apply (no post, no candidacy), or a candidate again.
            for (int tries = below(2) * 20; tries > 0 && !model.MayApply(player); --tries) {
                player = any(players);
            }
            if (!model.records.empty() && below(4) == 0) {
                const Model::Record& r = any(model.records);
                player = r.type == 1 ? static_cast<int>(r.player) : player;
                job = r.type == 1 && below(2) == 0 ? r.job : job;
            }
            what = "apply for " + std::to_string(job);
            expected = model.Apply(player, mistyped ? 0 : job);
            actual = Ask(server.Engine(), player, ChamberMsg::kApply, request(50, job));
        } else if (action < 25) {
            what = "impeach " + std::to_string(job);
            expected = model.Impeach(player, mistyped ? 0 : job);
            actual = Ask(server.Engine(), player, ChamberMsg::kImpeach, request(50, job));
        } else if (action < 50) {
            const int64_t target = model.records.empty() || below(5) == 0
                                       ? (below(2) == 0 ? model.nextId - 1 - below(3) : hostile())
                                   : edge && below(2) == 0 ? edge->id
                                                           : any(model.records).id;
            const int64_t sign = below(2) == 0 ? 1 : -1;
            const int64_t kinds[] = {sign * (1 + below(5)), sign * model.wallets.at(player).ballots,
                                     sign * (1 + below(1'000'000'000)), 1'000'000'000, hostile()};
            const int64_t votes = kinds[below(5)];
            what = "vote " + std::to_string(votes) + " on " + std::to_string(target);
            if (votes == 1'000'000'000) {
                // A whale: given all the ballots a wallet holds, and voting them all; three fill a count.
                model.SetWallet(player, model.wallets.at(player).coins, votes);
                server.Engine().SetWallet(player, static_cast<int>(model.wallets.at(player).coins), votes);
            }
            CKParam packet = request(50, target);
            packet.SetInt(60, static_cast<int>(votes));
            expected = model.Vote(player, mistyped ? 0 : target, votes);
            actual = Ask(server.Engine(), player, ChamberMsg::kVote, packet);
        } else if (action < 65) {
            auto name = any(model.names).first;
            name = below(8) == 0 ? "无名氏" : below(8) == 0 ? "" : name;
            const int64_t kinds[] = {1200, 3600, 1 + below(2 * 86400), hostile()};
            const std::optional<int64_t> seconds =
                below(10) == 0 ? std::nullopt : std::optional(kinds[below(4)]);
            // Often a holder, and then often the one who muted last: the day's mutes run out.
            if (below(2) == 0 && !model.holders.empty()) {
                player = any(model.holders).second;
                player = below(2) == 0 && muter != 0 ? muter : player;
                muter = player;
            }
            what = "mute " + name + " for " + (seconds ? std::to_string(*seconds) : "no time");
            CKParam packet;
            packet.SetCString(50, CString::FromUtf8(name));
            packet.SetInt(60, 1);
            if (seconds) {
                packet.SetInt(70, static_cast<int>(*seconds));
            }
            expected = model.Mute(player, name, seconds);
            actual = Ask(server.Engine(), player, ChamberMsg::kMute, packet);
        } else if (action < 88) {
            // A jump of the clock: a little, a lot, onto the edge of a voting window, backwards, or
            // towards and past the end of 32-bit time.
            const int64_t kind = below(100);
            int64_t time = model.now + (kind < 50 ? below(600) : below(2 * 86400));
            if (kind >= 55 && kind < 85 && !model.records.empty()) {
                // Voting that is yet to start is where enrolment ends: it is chosen first half the time.
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
            const std::vector<rules::Message> table = server.Engine().TakeMessages();
            CKParam packet;
            packet.SetBufferPtr(table.at(0).image.data(), static_cast<int>(table.at(0).image.size()));
            EXPECT_EQ(ChamberMsg::ReadClock(packet), std::optional<int>(static_cast<int>(model.now)));
        } else if (action < 93) {
            const int64_t coins = below(2) == 0 ? hostile() : below(1'000'000'001);
            const int64_t ballots = below(3) == 0 ? hostile() : below(2) == 0 ? 1'000'000'000 : below(1000);
            what = "wallet " + std::to_string(coins) + " " + std::to_string(ballots);
            model.SetWallet(player, coins, ballots);
            server.Engine().SetWallet(player, static_cast<int>(coins), static_cast<int>(ballots));
        } else if (action < 96) {
            const int64_t money = below(2) == 0 ? hostile() : below(1'000'000'001);
            what = "joins with " + std::to_string(money);
            join(money);
        } else {
            what = "restart";
            server.Step();
            server.Restart();
            server.Engine().AdvanceTo(model.now);
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step) + ": player " +
                     std::to_string(player) + " " + what + (mistyped ? " (field 50 mistyped)" : ""));
        EXPECT_EQ(actual, expected);
        if (expected) {
            reasons.insert(expected->reason);
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
