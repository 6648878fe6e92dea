// The Chamber server's database, behind one interface with two back-ends: SQLite (a file, the
// embedded default) and PostgreSQL (a server, for realms that outlive one machine). Either keeps
// the world (players and wallets, held posts, candidacies and impeachments with their votes, mutes
// and daily counts, the clock), the players' token hashes and an append-only ledger of accepted
// requests, in the same schema. A store is used from one thread at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Batch.h"
#include "BusyWait.h"
#include "Credentials.h"
#include "Engine.h"

namespace store {

// A player's row as a login needs it.
struct Account {
    rules::Player player;
    TokenHash token;  // empty when the player was never given a token
};

// One row of the ledger, with its place in it.
struct LedgerRow {
    std::int64_t seq;
    LedgerEntry entry;
};

// The most rows one query of the console reads.
inline constexpr int kMaxRowsRead = 1000;

// A console operator: a viewer sees the realm, a moderator may also act on players.
enum class Role { Viewer, Moderator };
const char* RoleName(Role role);
std::optional<Role> RoleNamed(std::string_view name);

struct Operator {
    std::string name;
    Role role = Role::Viewer;
    std::string passwordHash;  // crypto_pwhash_str's text (Argon2id)
    int failures = 0;          // failed passwords in a row
    std::int64_t lockedUntil = 0;
};

// A player's row found by a name prefix, as the console lists it.
struct PlayerSummary {
    rules::Player player;
    bool hasToken = false;
};

// What the console filters the ledger by (0 or empty: any), from the row after `afterSeq`, in
// order, at most `limit` rows.
struct LedgerQuery {
    int playerId = 0;
    int messageId = 0;
    int jobId = 0;
    std::int64_t from = 0;
    std::int64_t to = 0;  // 0: no end
    std::int64_t afterSeq = 0;
    int limit = 100;
};

// The same for the audit.
struct AuditQuery {
    std::string operatorName;
    int playerId = 0;
    std::string action;
    std::int64_t afterId = 0;
    int limit = 100;
};

struct AuditRow {
    std::int64_t id;
    AuditEntry entry;
};

// Everything a store holds, as one value: what a copy from one store to another carries.
struct Realm {
    rules::WorldState world;
    std::map<int, TokenHash> tokens;  // players with a token
    std::vector<LedgerRow> ledger;    // in order
    std::vector<Operator> operators;
    std::map<int, Ban> bans;
    std::vector<AuditRow> audit;  // in order
};

class Store {
public:
    virtual ~Store() = default;

    // The world as last committed.
    virtual rules::WorldState Load() = 0;
    // Writes a batch in one transaction; durable when it returns. Throws when it cannot say that.
    virtual void Commit(const Batch& batch) = 0;

    // The accounts of `names`, one for each in the same order (none for a name without a player),
    // read at one moment. At most kMaxNamesPerLookup names: throws std::length_error for more.
    std::vector<std::optional<Account>> FindAccounts(std::span<const std::string> names);
    std::optional<Account> FindAccount(const std::string& name) { return FindAccounts({&name, 1}).front(); }
    // A player's token hash as stored now; empty when the player has none (or is unknown).
    virtual TokenHash TokenOf(int playerId) = 0;
    // Whether a token may have been changed by another process since the last call (the first call
    // says true).
    virtual bool TokensChanged() = 0;
    // Bytes free for the database on its disk; the largest value when the disk is not this
    // machine's to see.
    virtual std::uint64_t FreeBytes() const = 0;
    // Bytes the realm takes in its database (the files of SQLite's, PostgreSQL's database size).
    virtual std::uint64_t SizeBytes() = 0;
    // How a transaction waits while the database is busy or out of reach; by default, about ten
    // seconds in all.
    virtual void SetBusyWait(BusyWait wait) = 0;
    // A new player without a post; returns its id. Throws for a name already taken.
    virtual int AddPlayer(const std::string& name, int kingdom, int coins, int ballots,
                          const TokenHash& token) = 0;
    // Gives an existing player a new token; false when there is no such player.
    virtual bool SetToken(const std::string& name, const TokenHash& token) = 0;
    // Accepted requests so far.
    virtual std::int64_t LedgerSize() = 0;

    // Every ban in force or past its end but not lifted, by player id: the hall holds them while
    // it serves, being the only writer of bans.
    virtual std::map<int, Ban> Bans() = 0;
    // Players whose name starts with `prefix`, by name, at most `limit`.
    virtual std::vector<PlayerSummary> FindPlayers(const std::string& prefix, int limit) = 0;
    virtual std::vector<LedgerRow> ReadLedger(const LedgerQuery& query) = 0;
    virtual std::vector<AuditRow> ReadAudit(const AuditQuery& query) = 0;

    // Operators. AddOperator throws for a name already taken; RemoveOperator says whether there
    // was one; SetOperatorLock records a failed password count and a lock-out.
    virtual void AddOperator(const Operator& op) = 0;
    virtual bool RemoveOperator(const std::string& name) = 0;
    virtual std::vector<Operator> Operators() = 0;
    virtual std::optional<Operator> FindOperator(const std::string& name) = 0;
    virtual void SetOperatorLock(const std::string& name, int failures, std::int64_t lockedUntil) = 0;

    // The right to serve the realm, for one server at a time (PostgreSQL; a SQLite realm is one
    // file on one machine, and this always succeeds there). Takes the lease when no other server
    // holds it or its holder let it lapse, for `ttl`; true when this store holds it now. Every
    // commit from then on checks that the lease is still this store's, renews it, and throws
    // LeaseLost when another server has taken it since.
    virtual bool TakeLease(const std::string& holder, std::chrono::milliseconds ttl) = 0;
    // Who holds the lease ("pid 4242 on db1"); empty when nobody does.
    virtual std::string LeaseHolder() = 0;

    // From another thread: ends the statement the database makes wait now (a lock held elsewhere,
    // a synchronous standby that does not answer), so that a stopping server is not held by it.
    virtual void Interrupt() = 0;

    // Everything, read in one transaction.
    virtual Realm Export() = 0;
    // Writes a realm into this store in one transaction; throws unless the store holds no player
    // and no ledger row.
    virtual void Import(const Realm& realm) = 0;

    static constexpr int kSchemaVersion = 3;
    // Names looked up in one call: enough for a storm of logins, little enough that one call does
    // not hold the store's thread for long.
    static constexpr std::size_t kMaxNamesPerLookup = 512;

protected:
    // FindAccounts for a number of names already checked.
    virtual std::vector<std::optional<Account>> ReadAccounts(std::span<const std::string> names) = 0;
};

// Thrown by a commit of a server whose lease another server has taken: nothing of it is written.
class LeaseLost : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether a --db value names a PostgreSQL database: a postgresql:// or postgres:// URI, or a libpq
// connection string of key=value words ("host=db1 dbname=realm"). Anything else is a file.
bool IsPostgres(const std::string& db);

// A --db value as the log may show it: a file's path, or PostgreSQL's host, port and database
// without a password.
std::string DisplayName(const std::string& db);

enum class Seed { StartingWorld, Nothing };

// Opens a store, creating and migrating the schema. A store without a world gets the starting
// world at `now` (the simulation's, without its simulated voters) unless `seed` says Nothing.
std::unique_ptr<Store> OpenStore(const std::string& db, std::int64_t now, Seed seed = Seed::StartingWorld);

// Copies every row of `from` into `to`, which must be empty.
void CopyRealm(Store& from, Store& to);

}  // namespace store
