#include "PacketText.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>

#include "chamber/ChamberClock.h"
#include "param/ByteOrder.h"
#include "param/ChamberMessages.h"
#include "param/RecordWalk.h"

namespace sim {

namespace {

using namespace ChamberMsg;

enum class EntryKind { None, Job, Application };

struct MessageInfo {
    const char* name;
    EntryKind entries;
    std::map<int, const char*> fields;
};

const std::map<int, MessageInfo>& Catalogue() {
    static const std::map<int, MessageInfo> catalogue = {
        {kJobTableWithClock, {"job table with clock", EntryKind::Job, {{60, "count"}, {70, "clock"}}}},
        {kApplicationList, {"application list", EntryKind::Application, {{60, "count"}}}},
        {kApply, {"apply for a post", EntryKind::None, {{50, "jobId"}}}},
        {kApplyResult,
         {"result of an application",
          EntryKind::None,
          {{31, "result"}, {32, "reason"}, {33, "jobName"}, {34, "holds"}}}},
        {kJobTable, {"job table", EntryKind::Job, {{60, "count"}}}},
        {kApplicationUpdate, {"application list update", EntryKind::Application, {{60, "count"}}}},
        {kImpeach, {"start an impeachment", EntryKind::None, {{50, "jobId"}}}},
        {kImpeachResult, {"result of an impeachment", EntryKind::None, {{31, "result"}, {32, "reason"}}}},
        {kVote, {"vote", EntryKind::None, {{50, "applyId"}, {60, "votes"}}}},
        {kVoteResult,
         {"result of a vote", EntryKind::None, {{31, "result"}, {32, "reason"}, {33, "votesUsed"}}}},
        {kApplicationEntry, {"one application", EntryKind::Application, {{60, "count"}}}},
        {kMute, {"mute a player", EntryKind::None, {{50, "name"}, {60, "flag"}, {70, "seconds"}}}},
        {kMuteResult,
         {"result of a mute",
          EntryKind::None,
          {{31, "result"}, {32, "reason"}, {36, "mutesUsed"}, {37, "mutesAllowed"}}}},
    };
    return catalogue;
}

constexpr std::array<const char*, 11> kJobFields = {"jobId",      "jobName",      "jobRank",  "jobExtra1",
                                                    "holderId",   "jobExtraText", "jobTime",  "extraData",
                                                    "holderName", "kingdomName",  "jobExtra2"};
constexpr std::array<const char*, 13> kApplicationFields = {
    "applyId",     "jobId",      "applyType",   "applyExtra1",    "userId",   "startTime",  "endTime",
    "applyExtra2", "agreeVotes", "opposeVotes", "actionUserName", "userName", "kingdomName"};

bool IsTime(std::string_view name) {
    return name == "clock" || name == "startTime" || name == "endTime";
}

// The value of one record as text; `name` adds the local time to times.
std::string ValueText(const char* value, std::uint32_t length, short type, std::string_view name) {
    using odc::param::LoadLE;
    switch (type) {
        case CKParam::kInt:
        case CKParam::kLong:
            if (length == 4) {
                const int number = static_cast<std::int32_t>(LoadLE<std::uint32_t>(value));
                std::string text = std::to_string(number);
                if (IsTime(name)) {
                    text += " (" + FormatTime(number).ToUtf8() + ")";
                }
                return text;
            }
            break;
        case CKParam::kShort:
            if (length == 2) {
                return std::to_string(static_cast<std::int16_t>(LoadLE<std::uint16_t>(value)));
            }
            break;
        case CKParam::kBoolean:
            if (length == 1) {
                return value[0] != 0 ? "true" : "false";
            }
            break;
        case CKParam::kCString: {
            std::u16string text;
            for (std::uint32_t i = 0; i + 1 < length && text.size() <= kLongestText; i += 2) {
                text += static_cast<char16_t>(LoadLE<std::uint16_t>(value + i));
            }
            return text.size() > kLongestText
                       ? QuotedText(text) + " (" + std::to_string(length / 2) + " units)"
                       : QuotedText(text);
        }
        default:
            break;
    }
    std::string hex = "bytes[" + std::to_string(length) + "]";
    for (std::uint32_t i = 0; i < length && i < 16; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02x", static_cast<unsigned char>(value[i]));
        hex += byte;
    }
    return hex;
}

std::string EntryFieldName(EntryKind kind, int k) {
    if (kind == EntryKind::Job && k < static_cast<int>(kJobFields.size())) {
        return kJobFields[static_cast<std::size_t>(k)];
    }
    if (kind == EntryKind::Application && k < static_cast<int>(kApplicationFields.size())) {
        return kApplicationFields[static_cast<std::size_t>(k)];
    }
    return "field" + std::to_string(k);
}

std::string FieldName(const MessageInfo* info, int id) {
    if (info != nullptr) {
        if (const auto it = info->fields.find(id); it != info->fields.end()) {
            return it->second;
        }
    }
    return "field";
}

}  // namespace

std::string Quoted(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        if (c == '\n') {
            out += "\\n";
        } else {
            if (c == '"' || c == '\\') {
                out += '\\';
            }
            out += c;
        }
    }
    return out + "\"";
}

std::string QuotedText(std::u16string_view text) {
    return text.size() > kLongestText ? Quoted(Utf16ToUtf8(text.substr(0, kLongestText))) + "..."
                                      : Quoted(Utf16ToUtf8(text));
}

std::string MessageName(int id) {
    const auto it = Catalogue().find(id);
    return it != Catalogue().end() ? it->second.name : "message " + std::to_string(id);
}

std::vector<std::string> DescribePacket(int messageId, const char* image, int length) {
    using odc::param::LoadLE;
    if (image == nullptr || length < static_cast<int>(odc::param::kHeaderSize) ||
        LoadLE<std::uint32_t>(image) != static_cast<std::uint32_t>(length)) {
        return {"(not a packet image: " + std::to_string(length) + " bytes)"};
    }
    const auto found = Catalogue().find(messageId);
    const MessageInfo* info = found != Catalogue().end() ? &found->second : nullptr;
    const EntryKind entries = info != nullptr ? info->entries : EntryKind::None;
    std::vector<std::string> lines;
    int openEntry = -1;
    int records = 0;
    const auto count = static_cast<std::int32_t>(LoadLE<std::uint32_t>(image + 4));
    odc::param::WalkRecords(
        image, static_cast<std::uint32_t>(length), count,
        [&](std::uint32_t offset, const odc::param::RecordHeader& header) {
            if (++records > kMostRecords) {
                lines.push_back("(more records not shown)");
                return true;
            }
            const std::uint32_t valueOffset = offset + odc::param::kRecordHeaderSize;
            if (std::uint64_t{valueOffset} + header.length > static_cast<std::uint32_t>(length)) {
                lines.push_back("(record " + std::to_string(header.id) + " runs past the end)");
                return true;
            }
            const int id = header.id;
            if (entries != EntryKind::None && id >= 100) {
                const int entry = (id - 100) / 100;
                const std::string name = EntryFieldName(entries, (id - 100) % 100);
                if (openEntry != entry) {
                    lines.push_back("[" + std::to_string(entry) + "]");
                    openEntry = entry;
                }
                lines.back() +=
                    " " + name + "=" + ValueText(image + valueOffset, header.length, header.type, name);
                return false;
            }
            openEntry = -1;
            const std::string name = FieldName(info, id);
            lines.push_back(std::to_string(id) + " " + name + " = " +
                            ValueText(image + valueOffset, header.length, header.type, name));
            return false;
        });
    return lines;
}

}  // namespace sim
