#include "Batch.h"

#include <algorithm>

#include "param/ChamberMessages.h"

namespace store {

namespace {

struct Field {
    short id;
    short type;
};

// The fields of each request that the rules read, in the order the screen writes them.
struct RequestFields {
    int messageId;
    Field fields[3];
};
constexpr RequestFields kRequests[] = {
    {ChamberMsg::kApply, {{ChamberMsg::Field::kTarget, CKParam::kInt}}},
    {ChamberMsg::kImpeach, {{ChamberMsg::Field::kTarget, CKParam::kInt}}},
    {ChamberMsg::kVote,
     {{ChamberMsg::Field::kTarget, CKParam::kInt}, {ChamberMsg::Field::kVotes, CKParam::kInt}}},
    {ChamberMsg::kMute,
     {{ChamberMsg::Field::kTarget, CKParam::kCString},
      {ChamberMsg::Field::kMuteFlag, CKParam::kInt},
      {ChamberMsg::Field::kMuteSeconds, CKParam::kInt}}},
};

}  // namespace

std::vector<char> LedgerForm(int messageId, std::span<const char> image) {
    CKParam request;
    CKParam form;
    const auto kind = std::find_if(std::begin(kRequests), std::end(kRequests),
                                   [messageId](const RequestFields& r) { return r.messageId == messageId; });
    if (kind != std::end(kRequests) &&
        request.SetBufferPtr(image.data(), static_cast<int>(image.size())) == 0) {
        for (const Field& field : kind->fields) {
            int number = 0;
            CString text;
            if (field.type == CKParam::kInt && request.GetInt(field.id, number) == 0) {
                form.SetInt(field.id, number);
            } else if (field.type == CKParam::kCString && request.GetCString(field.id, text) == 0) {
                form.SetCString(field.id, text);
            }
        }
    }
    return {form.GetBufferPtr(), form.GetBufferPtr() + form.GetLength()};
}

int LedgerJob(int messageId, std::span<const char> image, const rules::WorldState& state) {
    CKParam request;
    int target = 0;
    if (messageId == ChamberMsg::kMute ||
        request.SetBufferPtr(image.data(), static_cast<int>(image.size())) != 0 ||
        request.GetInt(ChamberMsg::Field::kTarget, target) != 0) {
        return 0;
    }
    if (messageId != ChamberMsg::kVote) {
        return target;
    }
    const auto voted = std::find_if(state.applications.begin(), state.applications.end(),
                                    [target](const rules::Application& a) { return a.applyId == target; });
    return voted != state.applications.end() ? voted->jobId : 0;
}

Batch Batch::Of(const rules::WorldState& state) {
    Batch batch;
    batch.now = state.now;
    batch.nextApplyId = state.nextApplyId;
    batch.players.insert(state.players.begin(), state.players.end());
    batch.posts.insert(state.holders.begin(), state.holders.end());
    for (const rules::Application& application : state.applications) {
        batch.applications.emplace(application.applyId, application);
    }
    batch.mutesUsed.insert(state.mutesUsed.begin(), state.mutesUsed.end());
    batch.mutedUntil.insert(state.mutedUntil.begin(), state.mutedUntil.end());
    return batch;
}

void Batch::Add(const rules::Changes& changes, const rules::WorldState& state) {
    now = state.now;
    nextApplyId = state.nextApplyId;
    for (const int id : changes.players) {
        if (const auto it = state.players.find(id); it != state.players.end()) {
            players.insert_or_assign(id, it->second);
        }
    }
    for (const int jobId : changes.posts) {
        const auto it = state.holders.find(jobId);
        posts.insert_or_assign(jobId, it != state.holders.end() ? std::optional(it->second) : std::nullopt);
    }
    for (const int applyId : changes.applications) {
        const auto it = std::find_if(state.applications.begin(), state.applications.end(),
                                     [applyId](const rules::Application& a) { return a.applyId == applyId; });
        applications.insert_or_assign(applyId,
                                      it != state.applications.end() ? std::optional(*it) : std::nullopt);
    }
    for (const rules::MuteDay& day : changes.mutesUsed) {
        mutesUsed.insert_or_assign(day, state.mutesUsed.at(day));
    }
    for (const int id : changes.mutedUntil) {
        mutedUntil.insert_or_assign(id, state.mutedUntil.at(id));
    }
}

}  // namespace store
