// Server traffic made from choices: the Chamber's own messages, well-formed and filled from small
// value ranges so that ids, posts and times meet each other, and arbitrary packets (records of
// any id, tag and length, or raw images that pass the restore checks).
#pragma once

#include <cstdint>

#include "Choices.h"
#include "param/CKParam.h"
#include "text/CString.h"

namespace ChamberSession {

// The base of every time chosen, near the server clock of a session.
inline constexpr int kBaseTime = 1'700'000'000;
// The player's user id in the identities chosen, so that some posts are the player's own.
inline constexpr int kPlayerId = 8;

class ServerPackets {
public:
    explicit ServerPackets(Choices& choices) : m_choices(choices) {}

    // A well-formed message of one of the incoming ids the screen handles, and that id.
    CKParam Message(int& messageId);
    // Any packet: records with ids, tags and lengths of every kind, or a raw image.
    CKParam Arbitrary();
    // An id in and around the incoming range 10000012 ... 10000032.
    int IncomingId();
    // A text of arbitrary UTF-16 units, or one of the texts the screen reads settings from.
    CString Text();
    // A time near kBaseTime.
    int Time();

private:
    CKParam JobTable(bool withClock);
    CKParam Applications(int maxEntries);
    CKParam Result(int messageId);
    int Value();
    short FieldId();
    CString Name(const char16_t* prefix);

    Choices& m_choices;
    // Numbers the names given, so that a name tells which message carried a record.
    std::uint32_t m_serial = 0;
};

}  // namespace ChamberSession
