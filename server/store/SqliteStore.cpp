#include "SqliteStore.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>
#include <span>
#include <thread>
#include <utility>

namespace store {

namespace {

// Each entry moves the schema from version i to i + 1.
constexpr const char* kMigrations[] = {
    R"(CREATE TABLE meta(key TEXT PRIMARY KEY, value INTEGER NOT NULL);
       CREATE TABLE players(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, kingdom INTEGER NOT NULL,
                            coins INTEGER NOT NULL, ballots INTEGER NOT NULL, token_salt BLOB, token_hash BLOB);
       CREATE TABLE posts(job_id INTEGER PRIMARY KEY, holder_id INTEGER NOT NULL REFERENCES players(id),
                          since INTEGER NOT NULL);
       CREATE TABLE applications(apply_id INTEGER PRIMARY KEY, job_id INTEGER NOT NULL, type INTEGER NOT NULL,
                                 player_id INTEGER NOT NULL REFERENCES players(id),
                                 target_id INTEGER NOT NULL REFERENCES players(id),
                                 start_time INTEGER NOT NULL, end_time INTEGER NOT NULL,
                                 agree INTEGER NOT NULL, oppose INTEGER NOT NULL);
       CREATE TABLE mutes_used(player_id INTEGER NOT NULL, day INTEGER NOT NULL, count INTEGER NOT NULL,
                               PRIMARY KEY(player_id, day));
       CREATE TABLE muted(player_id INTEGER PRIMARY KEY, until INTEGER NOT NULL);
       CREATE TABLE ledger(seq INTEGER PRIMARY KEY, time INTEGER NOT NULL, player_id INTEGER NOT NULL,
                           message_id INTEGER NOT NULL, request BLOB NOT NULL);)",
    // The lease of the server that serves the realm: kept by the PostgreSQL store; here for one
    // schema on both.
    R"(CREATE TABLE lease(id INTEGER PRIMARY KEY, epoch INTEGER NOT NULL, holder TEXT NOT NULL,
                         expires INTEGER NOT NULL);)",
    // The console's operators, players' bans (one a player; a lifted ban is deleted, the audit
    // keeps its story) and the audit of moderator actions, which nothing may change or delete.
    R"(CREATE TABLE operators(name TEXT PRIMARY KEY, role TEXT NOT NULL CHECK(role IN ('viewer', 'moderator')),
                             password_hash TEXT NOT NULL, failures INTEGER NOT NULL DEFAULT 0,
                             locked_until INTEGER NOT NULL DEFAULT 0);
       CREATE TABLE bans(player_id INTEGER PRIMARY KEY REFERENCES players(id), until INTEGER NOT NULL,
                         reason TEXT NOT NULL, by_operator TEXT NOT NULL, since INTEGER NOT NULL);
       CREATE TABLE audit(id INTEGER PRIMARY KEY, time INTEGER NOT NULL, operator TEXT NOT NULL,
                          action TEXT NOT NULL, player_id INTEGER NOT NULL, before TEXT NOT NULL,
                          after TEXT NOT NULL, reason TEXT NOT NULL);
       CREATE TRIGGER audit_no_update BEFORE UPDATE ON audit BEGIN SELECT RAISE(ABORT, 'the audit is kept as written'); END;
       CREATE TRIGGER audit_no_delete BEFORE DELETE ON audit BEGIN SELECT RAISE(ABORT, 'the audit is kept as written'); END;
       ALTER TABLE ledger ADD COLUMN job_id INTEGER NOT NULL DEFAULT 0;
       CREATE INDEX ledger_by_player ON ledger(player_id, seq);
       CREATE INDEX ledger_by_job ON ledger(job_id, seq);
       CREATE INDEX audit_by_player ON audit(player_id, id);)",
};
constexpr int kMigrationCount = static_cast<int>(std::size(kMigrations));
static_assert(kMigrationCount == Store::kSchemaVersion);

std::span<const unsigned char> Bytes(const std::vector<char>& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

}  // namespace

int SqliteStore::Migrate(Database& db) {
    db.Exec("PRAGMA journal_mode = WAL");
    // A commit is flushed to the disk before it returns: answered requests survive a power loss.
    db.Exec("PRAGMA synchronous = FULL");
    // The WAL is copied back into the database (a checkpoint, which flushes the file) once it holds
    // 10,000 pages, about 40 MB, rather than SQLite's 1,000: under a steady stream of votes every
    // checkpoint holds up the commits queued behind it, and a page written many times over between
    // two checkpoints is copied back once.
    db.Exec("PRAGMA wal_autocheckpoint = 10000");
    db.Exec("PRAGMA foreign_keys = ON");
    Transaction transaction(db);
    const auto version = static_cast<int>(db.QueryInt("PRAGMA user_version"));
    if (version > kSchemaVersion) {
        throw SqliteError("the database has schema version " + std::to_string(version) +
                          ", newer than this server's " + std::to_string(kSchemaVersion));
    }
    for (int next = version; next < kSchemaVersion; ++next) {
        db.Exec(kMigrations[next]);
    }
    db.Exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    transaction.Commit();
    return kSchemaVersion;
}

SqliteStore::SqliteStore(const std::string& path, std::int64_t now, Seed seed)
    : m_path(path),
      m_db(path),
      m_schemaVersion(Migrate(m_db)),
      m_upsertPlayer(m_db,
                     "INSERT INTO players(id, name, kingdom, coins, ballots) VALUES(?1, ?2, ?3, ?4, ?5) "
                     "ON CONFLICT(id) DO UPDATE SET coins = ?4, ballots = ?5"),
      m_upsertPost(m_db, "INSERT OR REPLACE INTO posts(job_id, holder_id, since) VALUES(?1, ?2, ?3)"),
      m_deletePost(m_db, "DELETE FROM posts WHERE job_id = ?1"),
      m_upsertApplication(m_db,
                          "INSERT OR REPLACE INTO applications VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)"),
      m_deleteApplication(m_db, "DELETE FROM applications WHERE apply_id = ?1"),
      m_upsertMutesUsed(m_db, "INSERT OR REPLACE INTO mutes_used(player_id, day, count) VALUES(?1, ?2, ?3)"),
      m_upsertMutedUntil(m_db, "INSERT OR REPLACE INTO muted(player_id, until) VALUES(?1, ?2)"),
      m_appendLedger(
          m_db,
          "INSERT INTO ledger(time, player_id, message_id, request, job_id) VALUES(?1, ?2, ?3, ?4, ?5)"),
      m_copyLedger(m_db,
                   "INSERT INTO ledger(seq, time, player_id, message_id, request, job_id) VALUES(?1, ?2, ?3, "
                   "?4, ?5, ?6)"),
      m_upsertMeta(m_db, "INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)"),
      // The clock never goes back, not even to the engine's time when a lease ran ahead of it.
      m_advanceClock(m_db,
                     "INSERT INTO meta(key, value) VALUES('now', ?1) "
                     "ON CONFLICT(key) DO UPDATE SET value = MAX(value, excluded.value)"),
      m_findAccount(
          m_db, "SELECT id, kingdom, coins, ballots, token_salt, token_hash FROM players WHERE name = ?1"),
      m_tokenOf(m_db, "SELECT token_salt, token_hash FROM players WHERE id = ?1"),
      m_dataVersionOf(m_db, "PRAGMA data_version"),
      m_insertPlayer(m_db,
                     "INSERT INTO players(id, name, kingdom, coins, ballots, token_salt, token_hash) "
                     "VALUES((SELECT COALESCE(MAX(id), 0) + 1 FROM players), ?1, ?2, ?3, ?4, ?5, ?6)"),
      m_setToken(m_db, "UPDATE players SET token_salt = ?2, token_hash = ?3 WHERE name = ?1"),
      m_setTokenOf(m_db, "UPDATE players SET token_salt = ?2, token_hash = ?3 WHERE id = ?1"),
      m_upsertBan(m_db,
                  "INSERT OR REPLACE INTO bans(player_id, until, reason, by_operator, since) "
                  "VALUES(?1, ?2, ?3, ?4, ?5)"),
      m_deleteBan(m_db, "DELETE FROM bans WHERE player_id = ?1"),
      m_appendAudit(m_db,
                    "INSERT INTO audit(time, operator, action, player_id, before, after, reason) "
                    "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)"),
      m_bans(m_db, "SELECT player_id, until, reason, by_operator, since FROM bans"),
      m_findPlayers(m_db,
                    "SELECT id, name, kingdom, coins, ballots, token_hash IS NOT NULL FROM players "
                    "WHERE substr(name, 1, length(?1)) = ?1 ORDER BY name LIMIT ?2"),
      m_readLedger(m_db,
                   "SELECT seq, time, player_id, message_id, request, job_id FROM ledger WHERE seq > ?1 "
                   "AND (?2 = 0 OR player_id = ?2) AND (?3 = 0 OR message_id = ?3) AND time >= ?4 "
                   "AND (?5 = 0 OR time <= ?5) AND (?7 = 0 OR job_id = ?7) ORDER BY seq LIMIT ?6"),
      m_readAudit(m_db,
                  "SELECT id, time, operator, action, player_id, before, after, reason FROM audit "
                  "WHERE id > ?1 AND (?2 = '' OR operator = ?2) AND (?3 = 0 OR player_id = ?3) "
                  "AND (?4 = '' OR action = ?4) ORDER BY id LIMIT ?5"),
      m_insertOperator(m_db, "INSERT INTO operators(name, role, password_hash) VALUES(?1, ?2, ?3)"),
      m_deleteOperator(m_db, "DELETE FROM operators WHERE name = ?1"),
      m_operators(m_db,
                  "SELECT name, role, password_hash, failures, locked_until FROM operators "
                  "WHERE ?1 = '' OR name = ?1 ORDER BY name"),
      m_lockOperator(m_db, "UPDATE operators SET failures = ?2, locked_until = ?3 WHERE name = ?1") {
    if (seed == Seed::StartingWorld && m_db.QueryInt("SELECT COUNT(*) FROM meta") == 0) {
        Commit(Batch::Of(rules::Engine(rules::EngineOptions{.otherPlayersVote = false}, now).State()));
    }
}

void SqliteStore::Commit(const Batch& batch) {
    Transaction transaction(m_db);
    Write(batch);
    transaction.Commit();
}

void SqliteStore::Write(const Batch& batch) {
    for (const auto& [id, player] : batch.players) {
        m_upsertPlayer.Bind(1, id).Bind(2, player.name).Bind(3, player.kingdom).Bind(4, player.coins);
        m_upsertPlayer.Bind(5, player.ballots).Run();
    }
    for (const auto& [jobId, holding] : batch.posts) {
        if (holding) {
            m_upsertPost.Bind(1, jobId).Bind(2, holding->playerId).Bind(3, holding->since).Run();
        } else {
            m_deletePost.Bind(1, jobId).Run();
        }
    }
    for (const auto& [applyId, application] : batch.applications) {
        if (!application) {
            m_deleteApplication.Bind(1, applyId).Run();
            continue;
        }
        const rules::Application& a = *application;
        m_upsertApplication.Bind(1, a.applyId).Bind(2, a.jobId).Bind(3, a.type).Bind(4, a.playerId);
        m_upsertApplication.Bind(5, a.targetId).Bind(6, a.startTime).Bind(7, a.endTime).Bind(8, a.agree);
        m_upsertApplication.Bind(9, a.oppose).Run();
    }
    for (const auto& [day, count] : batch.mutesUsed) {
        m_upsertMutesUsed.Bind(1, day.first).Bind(2, day.second).Bind(3, count).Run();
    }
    for (const auto& [id, until] : batch.mutedUntil) {
        m_upsertMutedUntil.Bind(1, id).Bind(2, until).Run();
    }
    for (const LedgerEntry& entry : batch.ledger) {
        m_appendLedger.Bind(1, entry.time).Bind(2, entry.playerId).Bind(3, entry.messageId);
        m_appendLedger.Bind(4, Bytes(entry.request)).Bind(5, entry.jobId).Run();
    }
    for (const auto& [id, ban] : batch.bans) {
        if (ban) {
            m_upsertBan.Bind(1, id).Bind(2, ban->until).Bind(3, ban->reason).Bind(4, ban->by);
            m_upsertBan.Bind(5, ban->since).Run();
        } else {
            m_deleteBan.Bind(1, id).Run();
        }
    }
    for (const auto& [id, token] : batch.tokens) {
        m_setTokenOf.Bind(1, id).Bind(2, token.salt).Bind(3, token.hash).Run();
    }
    for (const AuditEntry& a : batch.audit) {
        m_appendAudit.Bind(1, a.time).Bind(2, a.operatorName).Bind(3, a.action).Bind(4, a.playerId);
        m_appendAudit.Bind(5, a.before).Bind(6, a.after).Bind(7, a.reason).Run();
    }
    m_advanceClock.Bind(1, std::max(batch.now, batch.clockLease)).Run();
    if (batch.nextApplyId != 0) {
        m_upsertMeta.Bind(1, "next_apply_id").Bind(2, batch.nextApplyId).Run();
    }
}

rules::WorldState SqliteStore::Load() {
    rules::WorldState state;
    Statement meta(m_db, "SELECT key, value FROM meta");
    while (meta.Step()) {
        if (meta.Text(0) == "now") {
            state.now = meta.Int(1);
        } else if (meta.Text(0) == "next_apply_id") {
            state.nextApplyId = static_cast<int>(meta.Int(1));
        }
    }
    Statement players(m_db, "SELECT id, name, kingdom, coins, ballots FROM players");
    while (players.Step()) {
        const int id = static_cast<int>(players.Int(0));
        state.players.emplace(
            id, rules::Player{id, players.Text(1), static_cast<int>(players.Int(2)),
                              static_cast<int>(players.Int(3)), static_cast<int>(players.Int(4))});
    }
    Statement posts(m_db, "SELECT job_id, holder_id, since FROM posts");
    while (posts.Step()) {
        state.holders.emplace(static_cast<int>(posts.Int(0)),
                              rules::Holding{static_cast<int>(posts.Int(1)), posts.Int(2)});
    }
    Statement applications(m_db, "SELECT * FROM applications ORDER BY apply_id");
    while (applications.Step()) {
        const auto i = [&applications](int column) { return static_cast<int>(applications.Int(column)); };
        state.applications.push_back(rules::Application{i(0), i(1), i(2), i(3), i(4), applications.Int(5),
                                                        applications.Int(6), i(7), i(8)});
    }
    Statement mutesUsed(m_db, "SELECT player_id, day, count FROM mutes_used");
    while (mutesUsed.Step()) {
        state.mutesUsed.emplace(rules::MuteDay{static_cast<int>(mutesUsed.Int(0)), mutesUsed.Int(1)},
                                static_cast<int>(mutesUsed.Int(2)));
    }
    Statement muted(m_db, "SELECT player_id, until FROM muted");
    while (muted.Step()) {
        state.mutedUntil.emplace(static_cast<int>(muted.Int(0)), muted.Int(1));
    }
    return state;
}

std::vector<std::optional<Account>> SqliteStore::ReadAccounts(std::span<const std::string> names) {
    const ReadTransaction snapshot(m_db);
    std::vector<std::optional<Account>> accounts;
    accounts.reserve(names.size());
    for (const std::string& name : names) {
        m_findAccount.Bind(1, name);
        std::optional<Account>& account = accounts.emplace_back();
        if (m_findAccount.Step()) {
            const auto i = [this](int column) { return static_cast<int>(m_findAccount.Int(column)); };
            account = Account{rules::Player{i(0), name, i(1), i(2), i(3)},
                              TokenHash{m_findAccount.Blob(4), m_findAccount.Blob(5)}};
        }
        m_findAccount.Reset();
    }
    return accounts;
}

TokenHash SqliteStore::TokenOf(int playerId) {
    m_tokenOf.Bind(1, playerId);
    TokenHash token;
    if (m_tokenOf.Step()) {
        token = {m_tokenOf.Blob(0), m_tokenOf.Blob(1)};
    }
    m_tokenOf.Reset();
    return token;
}

bool SqliteStore::TokensChanged() {
    m_dataVersionOf.Step();
    const std::int64_t version = m_dataVersionOf.Int(0);
    m_dataVersionOf.Reset();
    return std::exchange(m_dataVersion, version) != version;
}

std::uint64_t SqliteStore::FreeBytes() const {
    const std::filesystem::path folder = std::filesystem::absolute(m_path).parent_path();
    struct statvfs disk {};
    if (m_path == ":memory:" || statvfs(folder.c_str(), &disk) != 0) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return std::uint64_t{disk.f_bavail} * disk.f_frsize;
}

std::uint64_t SqliteStore::SizeBytes() {
    std::uint64_t bytes = 0;
    for (const char* suffix : {"", "-wal"}) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(m_path + suffix, error);
        bytes += error ? 0 : size;
    }
    return bytes;
}

int SqliteStore::AddPlayer(const std::string& name, int kingdom, int coins, int ballots,
                           const TokenHash& token) {
    Transaction transaction(m_db);
    m_insertPlayer.Bind(1, name).Bind(2, kingdom).Bind(3, coins).Bind(4, ballots);
    m_insertPlayer.Bind(5, token.salt).Bind(6, token.hash).Run();
    const auto id = static_cast<int>(sqlite3_last_insert_rowid(m_db.Handle()));
    transaction.Commit();
    return id;
}

bool SqliteStore::SetToken(const std::string& name, const TokenHash& token) {
    Transaction transaction(m_db);
    m_setToken.Bind(1, name).Bind(2, token.salt).Bind(3, token.hash).Run();
    const bool changed = sqlite3_changes(m_db.Handle()) > 0;
    transaction.Commit();
    return changed;
}

std::int64_t SqliteStore::LedgerSize() {
    return m_db.QueryInt("SELECT COUNT(*) FROM ledger");
}

std::map<int, Ban> SqliteStore::Bans() {
    std::map<int, Ban> bans;
    while (m_bans.Step()) {
        bans.emplace(static_cast<int>(m_bans.Int(0)),
                     Ban{m_bans.Int(1), m_bans.Text(2), m_bans.Text(3), m_bans.Int(4)});
    }
    m_bans.Reset();
    return bans;
}

std::vector<PlayerSummary> SqliteStore::FindPlayers(const std::string& prefix, int limit) {
    std::vector<PlayerSummary> found;
    m_findPlayers.Bind(1, prefix).Bind(2, std::clamp(limit, 1, kMaxRowsRead));
    while (m_findPlayers.Step()) {
        const auto i = [this](int column) { return static_cast<int>(m_findPlayers.Int(column)); };
        found.push_back({rules::Player{i(0), m_findPlayers.Text(1), i(2), i(3), i(4)}, i(5) != 0});
    }
    m_findPlayers.Reset();
    return found;
}

std::vector<LedgerRow> SqliteStore::ReadLedger(const LedgerQuery& q) {
    std::vector<LedgerRow> rows;
    m_readLedger.Bind(1, q.afterSeq).Bind(2, q.playerId).Bind(3, q.messageId).Bind(4, q.from).Bind(5, q.to);
    m_readLedger.Bind(6, std::clamp(q.limit, 1, kMaxRowsRead)).Bind(7, q.jobId);
    while (m_readLedger.Step()) {
        const std::vector<unsigned char> request = m_readLedger.Blob(4);
        rows.push_back(
            {m_readLedger.Int(0),
             {m_readLedger.Int(1), static_cast<int>(m_readLedger.Int(2)),
              static_cast<int>(m_readLedger.Int(3)), std::vector<char>(request.begin(), request.end()),
              static_cast<int>(m_readLedger.Int(5))}});
    }
    m_readLedger.Reset();
    return rows;
}

std::vector<AuditRow> SqliteStore::ReadAudit(const AuditQuery& q) {
    std::vector<AuditRow> rows;
    m_readAudit.Bind(1, q.afterId).Bind(2, q.operatorName).Bind(3, q.playerId).Bind(4, q.action);
    m_readAudit.Bind(5, std::clamp(q.limit, 1, kMaxRowsRead));
    while (m_readAudit.Step()) {
        const Statement& r = m_readAudit;
        rows.push_back(
            {r.Int(0),
             {r.Int(1), r.Text(2), r.Text(3), static_cast<int>(r.Int(4)), r.Text(5), r.Text(6), r.Text(7)}});
    }
    m_readAudit.Reset();
    return rows;
}

void SqliteStore::AddOperator(const Operator& op) {
    Transaction transaction(m_db);
    m_insertOperator.Bind(1, op.name).Bind(2, RoleName(op.role)).Bind(3, op.passwordHash).Run();
    transaction.Commit();
}

bool SqliteStore::RemoveOperator(const std::string& name) {
    Transaction transaction(m_db);
    m_deleteOperator.Bind(1, name).Run();
    const bool removed = sqlite3_changes(m_db.Handle()) > 0;
    transaction.Commit();
    return removed;
}

std::vector<Operator> SqliteStore::ReadOperators(const std::string& name) {
    std::vector<Operator> found;
    m_operators.Bind(1, name);
    while (m_operators.Step()) {
        found.push_back({m_operators.Text(0), RoleNamed(m_operators.Text(1)).value_or(Role::Viewer),
                         m_operators.Text(2), static_cast<int>(m_operators.Int(3)), m_operators.Int(4)});
    }
    m_operators.Reset();
    return found;
}

std::vector<Operator> SqliteStore::Operators() {
    return ReadOperators({});
}

std::optional<Operator> SqliteStore::FindOperator(const std::string& name) {
    std::vector<Operator> found = ReadOperators(name);
    return found.empty() ? std::nullopt : std::optional(std::move(found.front()));
}

void SqliteStore::SetOperatorLock(const std::string& name, int failures, std::int64_t lockedUntil) {
    Transaction transaction(m_db);
    m_lockOperator.Bind(1, name).Bind(2, failures).Bind(3, lockedUntil).Run();
    transaction.Commit();
}

Realm SqliteStore::Export() {
    ReadTransaction snapshot(m_db);
    Realm realm;
    realm.world = Load();
    Statement tokens(m_db, "SELECT id, token_salt, token_hash FROM players WHERE token_hash IS NOT NULL");
    while (tokens.Step()) {
        realm.tokens.emplace(static_cast<int>(tokens.Int(0)), TokenHash{tokens.Blob(1), tokens.Blob(2)});
    }
    Statement ledger(m_db,
                     "SELECT seq, time, player_id, message_id, request, job_id FROM ledger ORDER BY seq");
    while (ledger.Step()) {
        const std::vector<unsigned char> request = ledger.Blob(4);
        realm.ledger.push_back(
            {ledger.Int(0),
             {ledger.Int(1), static_cast<int>(ledger.Int(2)), static_cast<int>(ledger.Int(3)),
              std::vector<char>(request.begin(), request.end()), static_cast<int>(ledger.Int(5))}});
    }
    realm.operators = Operators();
    realm.bans = Bans();
    Statement audit(
        m_db, "SELECT id, time, operator, action, player_id, before, after, reason FROM audit ORDER BY id");
    while (audit.Step()) {
        realm.audit.push_back({audit.Int(0),
                               {audit.Int(1), audit.Text(2), audit.Text(3), static_cast<int>(audit.Int(4)),
                                audit.Text(5), audit.Text(6), audit.Text(7)}});
    }
    return realm;
}

void SqliteStore::Import(const Realm& realm) {
    Transaction transaction(m_db);
    if (m_db.QueryInt("SELECT (SELECT COUNT(*) FROM players) + (SELECT COUNT(*) FROM ledger)") != 0) {
        throw SqliteError("the database " + m_path + " holds a realm already");
    }
    Batch batch = Batch::Of(realm.world);
    batch.bans.insert(realm.bans.begin(), realm.bans.end());
    Write(batch);
    for (const Operator& op : realm.operators) {
        m_insertOperator.Bind(1, op.name).Bind(2, RoleName(op.role)).Bind(3, op.passwordHash).Run();
        m_lockOperator.Bind(1, op.name).Bind(2, op.failures).Bind(3, op.lockedUntil).Run();
    }
    Statement copyAudit(m_db,
                        "INSERT INTO audit(id, time, operator, action, player_id, before, after, reason) "
                        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    for (const auto& [id, a] : realm.audit) {
        copyAudit.Bind(1, id).Bind(2, a.time).Bind(3, a.operatorName).Bind(4, a.action).Bind(5, a.playerId);
        copyAudit.Bind(6, a.before).Bind(7, a.after).Bind(8, a.reason).Run();
    }
    for (const auto& [id, token] : realm.tokens) {
        m_setTokenOf.Bind(1, id).Bind(2, token.salt).Bind(3, token.hash).Run();
    }
    for (const auto& [seq, entry] : realm.ledger) {
        m_copyLedger.Bind(1, seq).Bind(2, entry.time).Bind(3, entry.playerId).Bind(4, entry.messageId);
        m_copyLedger.Bind(5, Bytes(entry.request)).Bind(6, entry.jobId).Run();
    }
    transaction.Commit();
}

void SqliteStore::Backup(const std::string& out) {
    if (std::filesystem::exists(out)) {
        throw SqliteError(out + " exists already: a backup goes to a new file");
    }
    Database target(out);
    sqlite3_backup* backup = sqlite3_backup_init(target.Handle(), "main", m_db.Handle(), "main");
    if (backup == nullptr) {
        target.Check(sqlite3_errcode(target.Handle()), "backup");
    }
    int code = SQLITE_OK;
    // All pages in one step, so that the copy is of one moment; a writer holding the lock is waited for.
    while ((code = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || code == SQLITE_LOCKED) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const int finished = sqlite3_backup_finish(backup);
    target.Check(code == SQLITE_DONE ? finished : code, "backup");
}

}  // namespace store
