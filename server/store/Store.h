// The Chamber server's database: SQLite in WAL mode with a versioned schema. It keeps the world
// (players and wallets, held posts, candidacies and impeachments with their votes, mutes and daily
// counts, the clock), the players' token hashes and an append-only ledger of accepted requests.
// Used from one thread at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Batch.h"
#include "Credentials.h"
#include "Engine.h"
#include "Sqlite.h"

namespace store {

// A player's row as a login needs it.
struct Account {
    rules::Player player;
    TokenHash token;  // empty when the player was never given a token
};

class Store {
public:
    // Opens the file, creating and migrating the schema; a file without a world gets the starting
    // world at `now` (the simulation's, without its simulated voters).
    Store(const std::string& path, std::int64_t now);

    // The world as last committed.
    rules::WorldState Load();
    // Writes a batch in one transaction; durable when it returns.
    void Commit(const Batch& batch);

    std::optional<Account> FindAccount(const std::string& name);
    // A player's token hash as stored now; empty when the player has none (or is unknown).
    TokenHash TokenOf(int playerId);
    // Whether another process has committed to the database since the last call (the first call
    // says true).
    bool ChangedElsewhere();
    // Bytes free for the database on its disk.
    std::uint64_t FreeBytes() const;
    // How a commit waits while another process holds the write lock (Database::SetBusyWait).
    void SetBusyWait(BusyWait wait) { m_db.SetBusyWait(std::move(wait)); }
    // A new player without a post; returns its id. Throws SqliteError for a name already taken.
    int AddPlayer(const std::string& name, int kingdom, int coins, int ballots, const TokenHash& token);
    // Gives an existing player a new token; false when there is no such player.
    bool SetToken(const std::string& name, const TokenHash& token);
    // Accepted requests so far.
    std::int64_t LedgerSize();

    static constexpr int kSchemaVersion = 1;

private:
    // Sets the connection up and brings the schema to kSchemaVersion; returns the version.
    static int Migrate(Database& db);
    void Seed(const rules::WorldState& state);
    // The rows of a batch, inside the caller's transaction.
    void Write(const Batch& batch);

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
    Statement m_upsertMeta;
    Statement m_advanceClock;
    Statement m_findAccount;
    Statement m_tokenOf;
    Statement m_dataVersionOf;
    Statement m_insertPlayer;
    Statement m_setToken;
};

}  // namespace store
