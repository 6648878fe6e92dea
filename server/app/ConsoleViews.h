// What the console's pages show, as the JSON its API answers: the realm from the rules engine, and
// players, ledger rows and audit rows as the hall and the store give them. Every text goes through
// the JSON writer's escaping: names and reasons are whatever players and operators typed.
#pragma once

#include <string>
#include <vector>

#include "Engine.h"
#include "Json.h"
#include "Moderation.h"
#include "Store.h"

namespace server {

// The fifteen posts with their holders, and the elections and impeachments under way with their
// counts for and against; it holds no clock, so that it changes only when they do.
std::string RealmJson(const rules::Engine& engine);
// Players found by a prefix, each with its refusals of the last hour (`refusals`, in the same order).
std::string PlayersJson(const std::vector<PlayerView>& views,
                        const std::vector<std::vector<Refusal>>& refusals, const rules::Engine& engine);
// A page of the ledger, each request with its fields decoded.
std::string LedgerJson(const std::vector<store::LedgerRow>& rows, const rules::Engine& engine);
// A page of the audit.
std::string AuditJson(const std::vector<store::AuditRow>& rows, const rules::Engine& engine);
// One audit row (an action's answer has no id yet: 0 leaves it out).
void WriteAudit(admin::json::Writer& out, std::int64_t id, const store::AuditEntry& entry,
                const rules::Engine& engine);
// {"error": text}
std::string ErrorJson(const std::string& text);

}  // namespace server
