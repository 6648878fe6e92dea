#include "ConsoleViews.h"

#include <limits>

#include "HallMetrics.h"
#include "NetMessages.h"
#include "param/ChamberMessages.h"

namespace server {

namespace {

using admin::json::Writer;

// A player as {"id", "name"}; a player the engine does not know has its id alone.
void WritePlayer(Writer& out, int id, const rules::Engine& engine) {
    out.BeginObject().Key("id").Int(id);
    if (const rules::Player* player = engine.PlayerById(id)) {
        out.Key("name").String(player->name);
    }
    out.EndObject();
}

void WritePost(Writer& out, int jobId, const rules::Engine& engine) {
    out.Key("post").Int(jobId);
    for (const rules::PostDef& post : engine.Posts()) {
        if (post.jobId == jobId) {
            out.Key("postName").String(post.name);
        }
    }
}

const char* MessageKind(int messageId) {
    return messageId == wire::kLoginResult || messageId == wire::kLogin ? "login" : RequestKind(messageId);
}

// The fields of a request as the ledger keeps it (store::LedgerForm).
void WriteRequest(Writer& out, const store::LedgerEntry& entry) {
    CKParam request;
    if (entry.request.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
        request.SetBufferPtr(entry.request.data(), static_cast<int>(entry.request.size())) != 0) {
        return;
    }
    int number = 0;
    if (entry.messageId == ChamberMsg::kMute) {
        CString name;
        if (request.GetCString(ChamberMsg::Field::kTarget, name) == 0) {
            out.Key("muted").String(name.ToUtf8());
        }
        if (request.GetInt(ChamberMsg::Field::kMuteSeconds, number) == 0) {
            out.Key("seconds").Int(number);
        }
        return;
    }
    if (request.GetInt(ChamberMsg::Field::kTarget, number) == 0) {
        out.Key(entry.messageId == ChamberMsg::kVote ? "application" : "target").Int(number);
    }
    if (entry.messageId == ChamberMsg::kVote && request.GetInt(ChamberMsg::Field::kVotes, number) == 0) {
        out.Key("votes").Int(number);
    }
}

}  // namespace

std::string RealmJson(const rules::Engine& engine) {
    const rules::WorldState& state = engine.State();
    Writer out;
    out.BeginObject().Key("posts").BeginArray();
    for (const rules::PostDef& post : engine.Posts()) {
        out.BeginObject().Key("job").Int(post.jobId).Key("name").String(post.name).Key("rank").Int(post.rank);
        out.Key("holder");
        if (const auto held = state.holders.find(post.jobId); held != state.holders.end()) {
            WritePlayer(out, held->second.playerId, engine);
            out.Key("since").Int(held->second.since);
        } else {
            out.Null();
        }
        out.EndObject();
    }
    out.EndArray().Key("applications").BeginArray();
    for (const rules::Application& application : state.applications) {
        out.BeginObject().Key("id").Int(application.applyId).Key("job").Int(application.jobId);
        out.Key("kind").String(application.type < 0 ? "impeachment" : "election");
        out.Key("player");
        WritePlayer(out, application.playerId, engine);
        out.Key("target");
        WritePlayer(out, application.targetId, engine);
        out.Key("start").Int(application.startTime).Key("end").Int(application.endTime);
        out.Key("for").Int(application.agree).Key("against").Int(application.oppose).EndObject();
    }
    out.EndArray().EndObject();
    return out.Text();
}

std::string PlayersJson(const std::vector<PlayerView>& views,
                        const std::vector<std::vector<Refusal>>& refusals, const rules::Engine& engine) {
    Writer out;
    out.BeginObject().Key("players").BeginArray();
    for (std::size_t i = 0; i < views.size(); ++i) {
        const PlayerView& view = views[i];
        const rules::Player& player = view.summary.player;
        out.BeginObject().Key("id").Int(player.id).Key("name").String(player.name);
        out.Key("kingdom")
            .Int(player.kingdom)
            .Key("coins")
            .Int(player.coins)
            .Key("ballots")
            .Int(player.ballots);
        out.Key("hasToken").Bool(view.summary.hasToken).Key("online").Bool(view.online);
        WritePost(out, view.post, engine);
        out.Key("applications").BeginArray();
        for (const int id : view.applications) {
            out.Int(id);
        }
        out.EndArray().Key("mutedUntil").Int(view.mutedUntil).Key("ban");
        if (view.ban) {
            out.BeginObject()
                .Key("until")
                .Int(view.ban->until)
                .Key("untilText")
                .String(UtcText(view.ban->until));
            out.Key("reason").String(view.ban->reason).Key("by").String(view.ban->by);
            out.Key("since").Int(view.ban->since).EndObject();
        } else {
            out.Null();
        }
        out.Key("refusals").BeginArray();
        for (const Refusal& refusal : refusals[i]) {
            out.BeginObject()
                .Key("time")
                .Int(refusal.time)
                .Key("kind")
                .String(MessageKind(refusal.messageId));
            out.Key("reason").String(refusal.reason).EndObject();
        }
        out.EndArray().EndObject();
    }
    out.EndArray().EndObject();
    return out.Text();
}

std::string LedgerJson(const std::vector<store::LedgerRow>& rows, const rules::Engine& engine) {
    Writer out;
    out.BeginObject().Key("rows").BeginArray();
    for (const store::LedgerRow& row : rows) {
        out.BeginObject().Key("seq").Int(row.seq).Key("time").Int(row.entry.time);
        out.Key("kind").String(RequestKind(row.entry.messageId)).Key("player");
        WritePlayer(out, row.entry.playerId, engine);
        WritePost(out, row.entry.jobId, engine);
        WriteRequest(out, row.entry);
        out.EndObject();
    }
    out.EndArray().EndObject();
    return out.Text();
}

void WriteAudit(Writer& out, std::int64_t id, const store::AuditEntry& entry, const rules::Engine& engine) {
    out.BeginObject();
    if (id != 0) {
        out.Key("id").Int(id);
    }
    out.Key("time").Int(entry.time).Key("operator").String(entry.operatorName);
    out.Key("action").String(entry.action).Key("player");
    WritePlayer(out, entry.playerId, engine);
    out.Key("before")
        .String(entry.before)
        .Key("after")
        .String(entry.after)
        .Key("reason")
        .String(entry.reason);
    out.EndObject();
}

std::string AuditJson(const std::vector<store::AuditRow>& rows, const rules::Engine& engine) {
    Writer out;
    out.BeginObject().Key("rows").BeginArray();
    for (const store::AuditRow& row : rows) {
        WriteAudit(out, row.id, row.entry, engine);
    }
    out.EndArray().EndObject();
    return out.Text();
}

std::string ErrorJson(const std::string& text) {
    Writer out;
    out.BeginObject().Key("error").String(text).EndObject();
    return out.Text();
}

}  // namespace server
