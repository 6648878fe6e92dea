#include "ServerPackets.h"

#include <algorithm>
#include <climits>
#include <string>

#include "param/ChamberRecords.h"
#include "param/ChamberMessages.h"

namespace ChamberSession {

namespace {

constexpr const char16_t* kSettings[] = {
    u"Price=5;Awards=1.2;Power=治安;Desc=守护王国;Conditions=等级 30;PControl=禁言",
    u"Price=abc;Awards=x",
    u"Price=-7;Awards=2",
    u"Price=2147483647;Awards=1e308",
    u"Price=1;Awards=1.0;Power=",
};
// Texts the toolkit treats specially: colour tags, CEGUI's markup, escapes, line breaks.
constexpr const char16_t* kAwkwardTexts[] = {
    u"【YEL】黄【WHI】白", u"[colour='FFFF0000']红", u"\\", u"第一行\n第二行", u"东方王国的一个很长的名字",
};
constexpr const char16_t* kKingdoms[] = {u"东方王国", u"一个名字很长的西方大王国", u""};

void PutWord(std::string& image, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        image[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

void AppendLE(std::string& bytes, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes.push_back(static_cast<char>(value >> (8 * i)));
}

// A packet restored from `image` after its length and buffer-size words were made to pass the
// restore checks; its count word stays as chosen.
CKParam Restored(std::string image) {
    image.resize(std::max<std::size_t>(image.size(), 12));
    PutWord(image, 0, static_cast<std::uint32_t>(image.size()));
    PutWord(image, 8, static_cast<std::uint32_t>(std::max<std::size_t>(image.size(), 4096)));
    CKParam packet;
    packet.SetBufferPtr(image.data(), static_cast<int>(image.size()));
    return packet;
}

}  // namespace

CKParam ServerPackets::Message(int& messageId) {
    switch (m_choices.Int(0, 9)) {
        case 0:
        case 1:
            messageId = ChamberMsg::kJobTableWithClock;
            return JobTable(true);
        case 2:
            messageId = ChamberMsg::kJobTable;
            return JobTable(false);
        case 3:
            messageId = ChamberMsg::kApplicationList;
            return Applications(12);
        case 4:
        case 5:
            messageId = ChamberMsg::kApplicationUpdate;
            return Applications(6);
        case 6:
            messageId = ChamberMsg::kApplicationEntry;
            return Applications(1);
        default: {
            constexpr int kResults[] = {ChamberMsg::kApplyResult, ChamberMsg::kImpeachResult,
                                        ChamberMsg::kVoteResult, ChamberMsg::kMuteResult};
            messageId = m_choices.Pick(kResults);
            return Result(messageId);
        }
    }
}

CKParam ServerPackets::JobTable(bool withClock) {
    CKParam packet;
    const int count = m_choices.Int(0, 16);
    packet.SetInt(ChamberMsg::Field::kCount, count);
    for (int entry = 0; entry < count; ++entry) {
        constexpr int kHolders[] = {0, -1, kPlayerId, 9, 123456};
        ChamberJob job;
        job.jobId = m_choices.Int(-1, 17);
        job.jobName = Name(u"职位");
        job.jobRank = m_choices.Int(-1, 4);
        job.holderId = m_choices.Pick(kHolders);
        job.jobTime = u"2023-11-14";
        job.extraData = m_choices.Flag() ? CString(m_choices.Pick(kSettings)) : Text();
        job.holderName = Name(u"玩家");
        job.kingdomName = m_choices.Pick(kKingdoms);
        WriteJob(packet, entry, job);
    }
    if (withClock && m_choices.Int(0, 3) != 0) {
        const int clocks[] = {Time(), 0, -5, INT_MAX};
        packet.SetInt(ChamberMsg::Field::kClock, m_choices.Pick(clocks));
    }
    return packet;
}

CKParam ServerPackets::Applications(int maxEntries) {
    CKParam packet;
    const int count = m_choices.Int(0, maxEntries);
    packet.SetInt(ChamberMsg::Field::kCount, m_choices.Int(0, 7) == 0 ? m_choices.Int(-1, 2) : count);
    for (int entry = 0; entry < count; ++entry) {
        constexpr int kTypes[] = {UniteApplyJob::kCandidacy, UniteApplyJob::kCandidacy,
                                  UniteApplyJob::kImpeachment, 0};
        UniteApplyJob application;
        application.applyId = m_choices.Int(-1, 24);
        application.jobId = m_choices.Int(0, 17);
        application.applyType = m_choices.Pick(kTypes);
        application.startTime = Time();
        application.endTime = Time();
        application.agreeVotes = m_choices.Int(0, 1000);
        application.opposeVotes = m_choices.Int(0, 1000);
        application.userName = Name(u"候选人");
        application.kingdomName = m_choices.Pick(kKingdoms);
        application.actionUserName = Name(u"国王");
        WriteApplication(packet, entry, application);
    }
    return packet;
}

CKParam ServerPackets::Result(int messageId) {
    CKParam packet;
    constexpr int kOutcomes[] = {1, 1, 0, 2};
    if (m_choices.Int(0, 7) != 0) packet.SetInt(ChamberMsg::Field::kResult, m_choices.Pick(kOutcomes));
    if (m_choices.Flag()) packet.SetCString(ChamberMsg::Field::kReason, Text());
    switch (messageId) {
        case ChamberMsg::kApplyResult:
            if (m_choices.Int(0, 3) != 0) packet.SetCString(ChamberMsg::Field::kJobName, Name(u"职位"));
            if (m_choices.Int(0, 3) != 0) packet.SetInt(ChamberMsg::Field::kHolds, m_choices.Int(0, 2));
            break;
        case ChamberMsg::kVoteResult:
            if (m_choices.Flag()) packet.SetInt(ChamberMsg::Field::kVotesUsed, m_choices.Int(-1, 10));
            break;
        case ChamberMsg::kMuteResult:
            if (m_choices.Int(0, 3) != 0) packet.SetInt(ChamberMsg::Field::kMutesUsed, m_choices.Int(-1, 5));
            if (m_choices.Int(0, 3) != 0)
                packet.SetInt(ChamberMsg::Field::kMutesAllowed, m_choices.Int(-1, 5));
            break;
        default:
            break;
    }
    return packet;
}

CKParam ServerPackets::Arbitrary() {
    if (m_choices.Int(0, 3) == 0) return Restored(m_choices.Bytes(2048));
    std::string image(12, '\0');
    const int count = m_choices.Int(0, 40);
    for (int i = 0; i < count; ++i) {
        constexpr short kTags[] = {CKParam::kInt,   CKParam::kInt,  CKParam::kCString, CKParam::kCString,
                                   CKParam::kShort, CKParam::kChar, CKParam::kBoolean, CKParam::kLong};
        const short id = FieldId();
        const short tag = m_choices.Int(0, 15) == 0 ? static_cast<short>(m_choices.Range(SHRT_MIN, SHRT_MAX))
                                                    : m_choices.Pick(kTags);
        std::string value;
        if (tag == CKParam::kCString) {
            const CString text = Text();
            for (const char16_t unit : text.Units())
                AppendLE(value, unit, 2);
        } else if (tag == CKParam::kChar || m_choices.Int(0, 7) == 0) {
            value = m_choices.Bytes(12);  // raw bytes, or a fixed-width tag of another width
        } else {
            const int width = tag == CKParam::kShort ? 2 : tag == CKParam::kBoolean ? 1 : 4;
            AppendLE(value, static_cast<std::uint32_t>(Value()), width);
        }
        AppendLE(image, value.size(), 4);
        AppendLE(image, static_cast<std::uint16_t>(id), 2);
        AppendLE(image, static_cast<std::uint16_t>(tag), 2);
        image += value;
    }
    PutWord(image, 4, static_cast<std::uint32_t>(m_choices.Int(0, 7) == 0 ? m_choices.Int(0, 64) : count));
    return Restored(std::move(image));
}

int ServerPackets::IncomingId() {
    return ChamberMsg::kFirstIncoming + m_choices.Int(-3, 23);
}

CString ServerPackets::Text() {
    switch (m_choices.Int(0, 3)) {
        case 0:
            return m_choices.Pick(kSettings);
        case 1:
            return m_choices.Pick(kAwkwardTexts);
        case 2: {
            const std::string bytes = m_choices.Bytes(40);
            std::u16string units;
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
                units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                      static_cast<unsigned char>(bytes[i + 1]) << 8));
            return CString(std::move(units));
        }
        default:
            return {};
    }
}

int ServerPackets::Time() {
    return kBaseTime + m_choices.Int(-6, 6) * 600 + m_choices.Int(-1, 1);
}

int ServerPackets::Value() {
    switch (m_choices.Int(0, 3)) {
        case 0:
            return m_choices.Int(-2, 20);
        case 1:
            return Time();
        case 2: {
            constexpr int kEdges[] = {INT_MIN, INT_MAX, 655, 656, 3600, 10000};
            return m_choices.Pick(kEdges);
        }
        default:
            return static_cast<int>(m_choices.Range(INT_MIN, INT_MAX));
    }
}

short ServerPackets::FieldId() {
    switch (m_choices.Int(0, 3)) {
        case 0: {
            constexpr short kCatalogue[] = {31, 32, 33, 34, 36, 37, 50, 60, 70};
            return m_choices.Pick(kCatalogue);
        }
        case 1:
        case 2: {
            constexpr int kFarEntries[] = {653, 654, 655, 700};
            const int entry = m_choices.Int(0, 7) == 0 ? m_choices.Pick(kFarEntries) : m_choices.Int(0, 5);
            return static_cast<short>(100 * entry + 100 + m_choices.Int(0, 12));
        }
        default:
            return static_cast<short>(m_choices.Range(SHRT_MIN, SHRT_MAX));
    }
}

CString ServerPackets::Name(const char16_t* prefix) {
    const std::string digits = std::to_string(++m_serial);
    return CString(prefix) + CString(std::u16string(digits.begin(), digits.end()));
}

}  // namespace ChamberSession
