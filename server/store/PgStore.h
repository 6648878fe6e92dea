// The store on PostgreSQL: the same tables as on SQLite (a schema_version table for migrations),
// each batch one transaction whose statements and commit go in one pipeline. A batch carries its
// sequence number into meta, so that after a lost connection the store knows whether the commit in
// flight happened: it is then taken as done, or sent again, never answered on a guess.
#pragma once

#include "Postgres.h"
#include "Store.h"

namespace store {

class PgStore final : public Store {
public:
    // `conninfo`: a libpq connection string or URI. Refuses a server that does not make a commit
    // durable before it answers (fsync or synchronous_commit off).
    PgStore(const std::string& conninfo, std::int64_t now, Seed seed);

    rules::WorldState Load() override;
    void Commit(const Batch& batch) override;
    TokenHash TokenOf(int playerId) override;
    // True when a token was added or changed since the last call, by any process.
    bool TokensChanged() override;
    std::uint64_t FreeBytes() const override;
    std::uint64_t SizeBytes() override;
    void SetBusyWait(BusyWait wait) override { m_busyWait = std::move(wait); }
    int AddPlayer(const std::string& name, int kingdom, int coins, int ballots,
                  const TokenHash& token) override;
    bool SetToken(const std::string& name, const TokenHash& token) override;
    std::int64_t LedgerSize() override;
    std::map<int, Ban> Bans() override;
    std::vector<PlayerSummary> FindPlayers(const std::string& prefix, int limit) override;
    std::vector<LedgerRow> ReadLedger(const LedgerQuery& query) override;
    std::vector<AuditRow> ReadAudit(const AuditQuery& query) override;
    void AddOperator(const Operator& op) override;
    bool RemoveOperator(const std::string& name) override;
    std::vector<Operator> Operators() override;
    std::optional<Operator> FindOperator(const std::string& name) override;
    void SetOperatorLock(const std::string& name, int failures, std::int64_t lockedUntil) override;
    bool TakeLease(const std::string& holder, std::chrono::milliseconds ttl) override;
    std::string LeaseHolder() override;
    void Interrupt() override { m_conn.Cancel(); }
    Realm Export() override;
    void Import(const Realm& realm) override;

protected:
    std::vector<std::optional<Account>> ReadAccounts(std::span<const std::string> names) override;

private:
    void CheckDurability();
    void Migrate();
    void PrepareStatements();
    // The statements that write a batch, without BEGIN and COMMIT.
    std::vector<pg::Queued> Write(const Batch& batch) const;
    // Runs `statements` as one transaction, in one round trip.
    std::vector<pg::Result> Transact(std::vector<pg::Queued> statements);
    // A meta value; `fallback` when there is none.
    std::int64_t Meta(const std::string& key, std::int64_t fallback);
    // Runs `read` again after a lost connection, once connected again.
    template <typename Read>
    auto Reading(Read read);
    // Runs `read` in a read-only transaction that sees one moment of the database.
    template <typename Read>
    auto InSnapshot(Read read);
    // The operator named, or every one for an empty name.
    std::vector<Operator> ReadOperators(const std::string& name);
    // The world's rows, inside the caller's transaction.
    rules::WorldState ReadWorld();
    // Connects again, waiting between tries as the BusyWait says; throws when it gives up.
    void Reconnect(int& tries);

    pg::Connection m_conn;
    BusyWait m_busyWait;
    std::int64_t m_batchSeq = 0;  // the last batch known to be committed
    std::int64_t m_tokenEpoch = -1;
    std::int64_t m_epoch = 0;  // of the lease this store holds; 0: none
    std::chrono::milliseconds m_leaseTtl{0};
    bool m_inSnapshot = false;  // a lost connection ends the snapshot's read, to be read again whole
};

}  // namespace store
