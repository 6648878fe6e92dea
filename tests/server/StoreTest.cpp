// The store on both back-ends: a realm copied from SQLite to PostgreSQL and back keeps every row,
// accounts are looked up many names at a time, a token changed by another process is seen, a SQLite backup
// taken while another connection writes is of one moment, and a PostgreSQL connection lost in a commit is
// settled by the batch's number, never by a guess.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "Operators.h"
#include "PgCluster.h"
#include "PgStore.h"
#include "SimProcess.h"
#include "SqliteStore.h"

namespace server::test {
namespace {

using store::Batch;
using store::OpenStore;
using store::Seed;
using store::Store;

constexpr std::int64_t kNow = 1'800'000'000;

// Every row of a realm as text, in one order.
std::string Text(const store::Realm& realm) {
    std::ostringstream out;
    const rules::WorldState& world = realm.world;
    out << "now " << world.now << " next " << world.nextApplyId << "\n";
    for (const auto& [id, p] : world.players) {
        out << "player " << id << " " << p.name << " " << p.kingdom << " " << p.coins << " " << p.ballots
            << "\n";
    }
    for (const auto& [job, h] : world.holders) {
        out << "post " << job << " " << h.playerId << " " << h.since << "\n";
    }
    for (const rules::Application& a : world.applications) {
        out << "application " << a.applyId << " " << a.jobId << " " << a.type << " " << a.playerId << " "
            << a.targetId << " " << a.startTime << " " << a.endTime << " " << a.agree << " " << a.oppose
            << "\n";
    }
    for (const auto& [day, count] : world.mutesUsed) {
        out << "mutes " << day.first << " " << day.second << " " << count << "\n";
    }
    for (const auto& [id, until] : world.mutedUntil) {
        out << "muted " << id << " " << until << "\n";
    }
    for (const auto& [id, token] : realm.tokens) {
        out << "token " << id << " " << token.salt.size() << " " << token.hash.size() << " "
            << store::TokenMatches("secret-" + std::to_string(id), token) << "\n";
    }
    for (const store::Operator& op : realm.operators) {
        out << "operator " << op.name << " " << store::RoleName(op.role) << " " << op.passwordHash << " "
            << op.failures << " " << op.lockedUntil << "\n";
    }
    for (const auto& [id, ban] : realm.bans) {
        out << "ban " << id << " " << ban.until << " " << ban.reason << " " << ban.by << " " << ban.since
            << "\n";
    }
    for (const auto& [id, a] : realm.audit) {
        out << "audit " << id << " " << a.time << " " << a.operatorName << " " << a.action << " "
            << a.playerId << " " << a.before << " " << a.after << " " << a.reason << "\n";
    }
    for (const auto& [seq, entry] : realm.ledger) {
        out << "ledger " << seq << " " << entry.time << " " << entry.playerId << " " << entry.messageId
            << " job " << entry.jobId << " " << std::string(entry.request.begin(), entry.request.end())
            << "\n";
    }
    return out.str();
}

// A batch that writes to every table: the king's wallet, a post held and one vacated, an
// application opened and one closed, mutes, and ledger rows with bytes of every value.
Batch EveryKindOfRow(Store& store, std::int64_t now) {
    rules::Player king = store.FindAccount("凌霄").value().player;
    king.coins = 1'000'000'000;
    king.ballots = 7;
    const int id = king.id;
    Batch batch;
    batch.now = now;
    batch.clockLease = now + 2;
    batch.nextApplyId = 40;
    batch.players.emplace(id, king);
    batch.posts.emplace(2, rules::Holding{id, now});
    batch.posts.emplace(3, std::nullopt);
    batch.applications.emplace(39, rules::Application{39, 5, -1, id, id, now, now + 3600, 2'000'000'000, 3});
    batch.applications.emplace(1, std::nullopt);
    batch.mutesUsed.emplace(rules::MuteDay{id, now / 86'400}, 2);
    batch.mutedUntil.emplace(id, now + 3600);
    std::vector<char> bytes(256);
    for (int i = 0; i < 256; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(i);
    }
    batch.ledger.push_back({now, id, 10000014, bytes, 5});
    batch.ledger.push_back({now, id, 10000011, {0}});
    batch.bans.emplace(id, store::Ban{now + 60, "刷屏", "mod", now});
    batch.audit.push_back(
        {now, "mod", "ban", id, "ban=none", "ban_until=" + std::to_string(now + 60), "刷屏"});
    return batch;
}

std::string NewPostgres() {
    std::string why;
    PgCluster* cluster = PgCluster::Shared(&why);
    return cluster != nullptr ? cluster->NewDatabase() : std::string();
}

#define NEED_POSTGRES(db)        \
    if ((db).empty()) {          \
        std::string why;         \
        PgCluster::Shared(&why); \
        GTEST_SKIP() << why;     \
    }

TEST(StoreTest, ARealmCopiedToPostgresAndBackKeepsEveryRow) {
    const std::string postgres = NewPostgres();
    NEED_POSTGRES(postgres);
    const std::string dir = sim::test::MakeTempDir();
    const auto sqlite = OpenStore(dir + "/realm.db", kNow);
    sqlite->Commit(EveryKindOfRow(*sqlite, kNow + 10));
    const int added = sqlite->AddPlayer("甲", 3, 5, 6, store::HashToken("unused"));
    ASSERT_TRUE(sqlite->SetToken("甲", store::HashToken("secret-" + std::to_string(added))));
    sqlite->AddOperator({"mod", store::Role::Moderator, "$argon2id$stand-in"});
    sqlite->SetOperatorLock("mod", 3, kNow + 5);
    const std::string original = Text(sqlite->Export());

    const auto copy = OpenStore(postgres, kNow, Seed::Nothing);
    store::CopyRealm(*sqlite, *copy);
    EXPECT_EQ(Text(copy->Export()), original);
    const auto back = OpenStore(dir + "/back.db", kNow, Seed::Nothing);
    store::CopyRealm(*copy, *back);
    EXPECT_EQ(Text(back->Export()), original);

    // The copies go on as the original would: the ledger and the players count on from the copy.
    for (Store* store : {copy.get(), back.get()}) {
        store->Commit(EveryKindOfRow(*store, kNow + 20));
        EXPECT_EQ(store->LedgerSize(), 4);
        EXPECT_EQ(store->Export().ledger.back().seq, 4);
        EXPECT_EQ(store->Export().audit.back().id, 2);
        // The ledger as the console reads it: by post, by message, paged.
        const auto seqs = [store](const store::LedgerQuery& query) {
            std::vector<std::int64_t> out;
            for (const store::LedgerRow& row : store->ReadLedger(query)) {
                out.push_back(row.seq);
            }
            return out;
        };
        EXPECT_EQ(seqs({.jobId = 5}), (std::vector<std::int64_t>{1, 3}));
        EXPECT_EQ(seqs({.messageId = 10000011}), (std::vector<std::int64_t>{2, 4}));
        EXPECT_EQ(seqs({.afterSeq = 1, .limit = 2}), (std::vector<std::int64_t>{2, 3}));
        EXPECT_EQ(seqs({.playerId = 999}), std::vector<std::int64_t>{});
        EXPECT_EQ(store->AddPlayer("乙", 1, 0, 0, {}), added + 1);
        // A realm is copied only into a store that holds none.
        EXPECT_THROW(store::CopyRealm(*sqlite, *store), std::exception);
    }
    EXPECT_THROW(store::CopyRealm(*sqlite, *OpenStore(NewPostgres(), kNow)), std::exception);
}

TEST(StoreTest, OperatorsAreVerifiedAndLockedOutOnBothStores) {
    std::vector<std::string> dbs = {sim::test::MakeTempDir() + "/realm.db"};
    if (std::string postgres = NewPostgres(); !postgres.empty()) {
        dbs.push_back(std::move(postgres));
    }
    using enum store::Verdict;
    const std::string right = "correct horse battery";
    const struct {
        const char* name;
        std::string password;
        std::int64_t at;
        store::Verdict verdict;
    } steps[] = {
        {"alice", right, kNow, Admitted},
        {"nobody", right, kNow, Refused},
        {"alice", "wrong", kNow, Refused},
        {"alice", right, kNow, Admitted},  // resets the count
        {"alice", "wrong", kNow, Refused},
        {"alice", "wrong", kNow, Refused},
        {"alice", "wrong", kNow, Refused},
        {"alice", "wrong", kNow, Refused},
        {"alice", "wrong", kNow + 1, LockedOut},  // the fifth in a row
        {"alice", right, kNow + store::kLockSeconds, LockedOut},
        {"alice", right, kNow + 1 + store::kLockSeconds, Admitted},
        {"alice", "wrong", kNow + 2 + store::kLockSeconds, Refused},
    };
    for (const std::string& db : dbs) {
        const auto store = OpenStore(db, kNow);
        store->AddOperator({"alice", store::Role::Moderator, store::HashPassword(right)});
        store->AddOperator({"bob", store::Role::Viewer, store::HashPassword(right)});
        EXPECT_THROW(store->AddOperator({"bob", store::Role::Moderator, "x"}), std::exception) << db;
        for (const auto& step : steps) {
            const store::Verification verification =
                store::VerifyOperator(*store, step.name, step.password, step.at);
            EXPECT_EQ(verification.verdict, step.verdict) << db << " " << step.name << " at " << step.at;
            EXPECT_EQ(verification.op.has_value(), step.verdict == Admitted);
            EXPECT_EQ(verification.lockedUntil,
                      step.verdict == LockedOut ? kNow + 1 + store::kLockSeconds : 0);
        }
        EXPECT_EQ(store->FindOperator("alice")->failures, 1);
        EXPECT_TRUE(store->RemoveOperator("bob"));
        EXPECT_FALSE(store->RemoveOperator("bob"));
        const std::vector<store::Operator> left = store->Operators();
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(left[0].role, store::Role::Moderator);
    }
}

TEST(StoreTest, ATokenChangedByAnotherProcessIsSeen) {
    const std::string dir = sim::test::MakeTempDir();
    for (const std::string& db : {dir + "/tokens.db", NewPostgres()}) {
        if (db.empty()) {
            continue;
        }
        const auto server = OpenStore(db, kNow);
        const auto other = OpenStore(db, kNow);
        EXPECT_TRUE(server->TokensChanged()) << db;
        EXPECT_FALSE(server->TokensChanged()) << db;
        server->Commit(EveryKindOfRow(*server, kNow));
        const std::optional<store::Account> king = server->FindAccount("凌霄");
        ASSERT_TRUE(king) << db;
        ASSERT_TRUE(other->SetToken("凌霄", store::HashToken("new")));
        EXPECT_TRUE(server->TokensChanged()) << db;
        EXPECT_TRUE(store::TokenMatches("new", server->TokenOf(king->player.id))) << db;
        EXPECT_FALSE(other->SetToken("nobody", store::HashToken("new"))) << db;
    }
}

TEST(StoreTest, AccountsAreLookedUpManyNamesAtATime) {
    const std::string dir = sim::test::MakeTempDir();
    for (const std::string& db : {dir + "/accounts.db", NewPostgres()}) {
        if (db.empty()) {
            continue;
        }
        const auto store = OpenStore(db, kNow);
        // Names that an array's text form must quote.
        const std::vector<std::string> odd = {"a\"b", "c\\d", "{e,f}", "NULL", " g "};
        for (const std::string& name : odd) {
            store->AddPlayer(name, 1, 0, 0, store::HashToken(name));
        }
        struct Case {
            const char* what;
            std::vector<std::string> names;
            std::vector<bool> found;
        };
        const Case cases[] = {
            {"known and unknown", {"凌霄", "nobody", "a\"b", ""}, {true, false, true, false}},
            {"the same name twice", {"c\\d", "凌霄", "c\\d"}, {true, true, true}},
            {"a NUL byte", {std::string("凌霄\0x", 7), "NULL"}, {false, true}},
            {"quoting", odd, {true, true, true, true, true}},
            {"none", {}, {}},
        };
        for (const Case& c : cases) {
            const std::vector<std::optional<store::Account>> accounts = store->FindAccounts(c.names);
            ASSERT_EQ(accounts.size(), c.names.size()) << db << ": " << c.what;
            for (std::size_t i = 0; i < accounts.size(); ++i) {
                EXPECT_EQ(accounts[i].has_value(), c.found[i]) << db << ": " << c.what << " " << i;
                EXPECT_TRUE(!accounts[i] || accounts[i]->player.name == c.names[i]) << db << ": " << c.what;
            }
        }
        EXPECT_TRUE(store::TokenMatches("{e,f}", store->FindAccount("{e,f}").value().token)) << db;
        const std::vector<std::string> bound(Store::kMaxNamesPerLookup, "凌霄");
        EXPECT_EQ(store->FindAccounts(bound).back()->player.name, "凌霄") << db;
        EXPECT_THROW(store->FindAccounts(std::vector<std::string>(bound.size() + 1)), std::length_error)
            << db;
    }
}

TEST(StoreTest, ABackupTakenWhileAnotherConnectionWritesIsOfOneMoment) {
    const std::string dir = sim::test::MakeTempDir();
    store::SqliteStore server(dir + "/live.db", kNow, Seed::StartingWorld);
    std::atomic<bool> done = false;
    // Each batch sets the king's coins to the number of ledger rows it leaves.
    std::thread writer([&] {
        store::SqliteStore store(dir + "/live.db", kNow, Seed::StartingWorld);
        rules::Player king = store.FindAccount("凌霄").value().player;
        for (int rows = 1; !done; ++rows) {
            Batch batch;
            batch.now = kNow;
            king.coins = rows;
            batch.players.emplace(king.id, king);
            batch.ledger.push_back({kNow, king.id, 10000014, std::vector<char>(1024, 'x')});
            store.Commit(batch);
        }
    });
    while (server.LedgerSize() < 200) {
        std::this_thread::yield();
    }
    for (int i = 0; i < 3; ++i) {
        const std::string out = dir + "/backup-" + std::to_string(i) + ".db";
        server.Backup(out);
        const auto backup = OpenStore(out, kNow, Seed::Nothing);
        const std::int64_t rows = backup->LedgerSize();
        EXPECT_GE(rows, 200);
        EXPECT_EQ(backup->FindAccount("凌霄")->player.coins, rows);
        EXPECT_THROW(server.Backup(out), std::exception) << "a backup overwrote a file";
    }
    done = true;
    writer.join();
}

// The server's connection is cut while a batch is in flight; whether its commit happened is read
// from the batch's number in meta: taken as done when there, sent again when not.
TEST(StoreTest, ACommitCutOffFromPostgresIsSettledByItsBatchNumber) {
    for (const bool committedBeforeTheCut : {false, true}) {
        const std::string db = NewPostgres();
        NEED_POSTGRES(db);
        store::PgStore server(db, kNow, Seed::StartingWorld);
        int waits = 0;
        server.SetBusyWait([&waits](int) { return ++waits < 100; });
        store::pg::Connection other(db);
        const std::int64_t seq = other.Query("SELECT value FROM meta WHERE key = 'batch_seq'").Int(0, 0);
        if (committedBeforeTheCut) {
            other.Query("UPDATE meta SET value = $1 WHERE key = 'batch_seq'",
                        store::pg::Params().Int(seq + 1));
        }
        other.Query(
            "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database() "
            "AND pid != pg_backend_pid()");
        Batch batch;
        batch.now = kNow;
        batch.ledger.push_back({kNow, 1, 10000014, {0}});
        server.Commit(batch);
        EXPECT_GE(waits, 1) << committedBeforeTheCut;
        EXPECT_EQ(server.LedgerSize(), committedBeforeTheCut ? 0 : 1) << committedBeforeTheCut;
        server.Commit(batch);
        EXPECT_EQ(server.LedgerSize(), committedBeforeTheCut ? 1 : 2) << committedBeforeTheCut;
    }
    // Out of reach for good: the commit throws once its wait gives up, and nothing is taken as done.
    const std::string db = NewPostgres();
    store::PgStore server(db, kNow, Seed::StartingWorld);
    server.SetBusyWait([](int tries) { return tries < 3; });
    store::pg::Connection(db).Query(
        "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database() AND pid "
        "!= "
        "pg_backend_pid()");
    store::pg::Connection(db.substr(0, db.rfind('/')) + "/postgres")
        .Exec("ALTER DATABASE " + db.substr(db.rfind('/') + 1) + " ALLOW_CONNECTIONS false");
    EXPECT_THROW(server.Commit(Batch{}), store::pg::PgError);
}

}  // namespace
}  // namespace server::test
