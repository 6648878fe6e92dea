// The store on SQLite: one file in WAL mode, `PRAGMA user_version` with migrations, every commit
// flushed to the disk before it returns. Its online backup copies a realm while a server runs.
#pragma once

#include "Sqlite.h"
#include "Store.h"

namespace store {

class SqliteStore final : public Store {
public:
    SqliteStore(const std::string& path, std::int64_t now, Seed seed);

    rules::WorldState Load() override;
    void Commit(const Batch& batch) override;
    TokenHash TokenOf(int playerId) override;
    // True when another process has committed since the last call.
    bool TokensChanged() override;
    std::uint64_t FreeBytes() const override;
    std::uint64_t SizeBytes() override;
    void SetBusyWait(BusyWait wait) override { m_db.SetBusyWait(std::move(wait)); }
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
    bool TakeLease(const std::string&, std::chrono::milliseconds) override { return true; }
    std::string LeaseHolder() override { return {}; }
    void Interrupt() override { sqlite3_interrupt(m_db.Handle()); }
    Realm Export() override;
    void Import(const Realm& realm) override;

    // A consistent copy of the database into a new file `out` (SQLite's online backup), taken
    // while other connections go on writing. Throws when `out` exists.
    void Backup(const std::string& out);

protected:
    std::vector<std::optional<Account>> ReadAccounts(std::span<const std::string> names) override;

private:
    // Sets the connection up and brings the schema to kSchemaVersion; returns the version.
    static int Migrate(Database& db);
    // The rows of a batch, inside the caller's transaction.
    void Write(const Batch& batch);
    // The operator named, or every one for an empty name.
    std::vector<Operator> ReadOperators(const std::string& name);

    std::string m_path;
    Database m_db;
    int m_schemaVersion;
    std::int64_t m_dataVersion = -1;
    // Every statement is prepared once, here.
    Statement m_upsertPlayer;
    Statement m_upsertPost;
    Statement m_deletePost;
    Statement m_upsertApplication;
    Statement m_deleteApplication;
    Statement m_upsertMutesUsed;
    Statement m_upsertMutedUntil;
    Statement m_appendLedger;
    Statement m_copyLedger;
    Statement m_upsertMeta;
    Statement m_advanceClock;
    Statement m_findAccount;
    Statement m_tokenOf;
    Statement m_dataVersionOf;
    Statement m_insertPlayer;
    Statement m_setToken;
    Statement m_setTokenOf;
    Statement m_upsertBan;
    Statement m_deleteBan;
    Statement m_appendAudit;
    Statement m_bans;
    Statement m_findPlayers;
    Statement m_readLedger;
    Statement m_readAudit;
    Statement m_insertOperator;
    Statement m_deleteOperator;
    Statement m_operators;
    Statement m_lockOperator;
};

}  // namespace store
