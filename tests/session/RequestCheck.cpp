#include "RequestCheck.h"

#include <cstdint>
#include <vector>

namespace ChamberModel {

namespace {

// The catalogue's numbers and byte layout, written here rather than taken from the module, so that
// a wrong constant or a wrong encoder in the module cannot agree with itself.
constexpr int kChannel = 1000;
constexpr int kApply = 10000017;
constexpr int kImpeach = 10000023;
constexpr int kVote = 10000025;
constexpr int kMute = 10000031;
constexpr short kIntTag = 20;
constexpr short kTextTag = 40;

std::uint32_t Word(const char* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

short Half(const char* bytes) {
    return static_cast<short>(static_cast<unsigned char>(bytes[0]) | static_cast<unsigned char>(bytes[1])
                                                                         << 8);
}

struct Record {
    short id;
    short tag;
    std::uint32_t length;
    const char* value;
};

// The records of the image in order, or an explanation of why they cannot be walked.
std::string Records(const CKParam& packet, std::vector<Record>& records) {
    const char* image = packet.GetBufferPtr();
    if (image == nullptr || packet.GetLength() < 12) return "no image";
    const auto length = static_cast<std::uint32_t>(packet.GetLength());
    // A packet without fields keeps the length word 0 it was created with.
    const bool fresh = length == 12 && Word(image) == 0 && Word(image + 4) == 0;
    if (Word(image) != length && !fresh)
        return "length word " + std::to_string(Word(image)) + " for " + std::to_string(length) + " bytes";
    std::uint32_t offset = 12;
    while (offset < length) {
        if (length - offset < 8) return "a record header runs past the image";
        const Record record{Half(image + offset + 4), Half(image + offset + 6), Word(image + offset),
                            image + offset + 8};
        if (record.length > length - offset - 8) return "a record value runs past the image";
        records.push_back(record);
        offset += 8 + record.length;
    }
    if (Word(image + 4) != records.size() || packet.GetPacketNum() != static_cast<int>(records.size()))
        return "count word " + std::to_string(Word(image + 4)) + " for " + std::to_string(records.size()) +
               " records";
    if (Word(image + 8) < length) return "buffer-size word below the length";
    return {};
}

struct Expected {
    short id;
    short tag;
};

std::string CheckLayout(const std::vector<Record>& records, const std::vector<Expected>& expected) {
    if (records.size() != expected.size())
        return std::to_string(records.size()) + " records, " + std::to_string(expected.size()) + " expected";
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& record = records[i];
        if (record.id != expected[i].id || record.tag != expected[i].tag)
            return "record " + std::to_string(i) + " is field " + std::to_string(record.id) + " tag " +
                   std::to_string(record.tag);
        if (record.tag == kIntTag && record.length != 4)
            return "an int of " + std::to_string(record.length) + " bytes";
        if (record.tag == kTextTag && record.length % 2 != 0) return "a text of an odd number of bytes";
    }
    return {};
}

int IntValue(const Record& record) {
    return static_cast<int>(Word(record.value));
}

}  // namespace

std::string CheckRequest(int channel, int messageId, const CKParam& packet) {
    if (channel != kChannel) return "channel " + std::to_string(channel);
    std::vector<Record> records;
    if (std::string wrong = Records(packet, records); !wrong.empty()) return wrong;
    switch (messageId) {
        case kApply:
        case kImpeach:
            // A yes sends whatever is pending; before the first question that is the empty packet.
            if (records.empty()) return {};
            if (std::string wrong = CheckLayout(records, {{50, kIntTag}}); !wrong.empty()) return wrong;
            return IntValue(records[0]) > 0 ? std::string() : "a job id of 0 or less";
        case kVote:
            if (std::string wrong = CheckLayout(records, {{50, kIntTag}, {60, kIntTag}}); !wrong.empty())
                return wrong;
            if (IntValue(records[0]) <= 0) return "a vote on an apply id of 0 or less";
            return IntValue(records[1]) != 0 ? std::string() : "a vote of no ballots";
        case kMute: {
            if (std::string wrong = CheckLayout(records, {{50, kTextTag}, {60, kIntTag}, {70, kIntTag}});
                !wrong.empty())
                return wrong;
            const int seconds = IntValue(records[2]);
            if (records[0].length == 0) return "a mute without a name";
            if (IntValue(records[1]) != 1) return "a mute flag other than 1";
            return seconds == 3600 || seconds == 1800 || seconds == 1200
                       ? std::string()
                       : "a mute of " + std::to_string(seconds) + " s";
        }
        default:
            return "message id " + std::to_string(messageId) + " is no request";
    }
}

}  // namespace ChamberModel
