// The messages of the network protocol that the Chamber itself does not define: login, its result,
// the wallet and the heartbeat. Same style as the Chamber's messages: ints with tag 20, texts with
// tag 40. The Chamber's own messages travel unchanged under their own ids.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "param/CKParam.h"

namespace wire {

inline constexpr int kLogin = 1;        // client -> server: fields 50 name, 51 token
inline constexpr int kLoginResult = 2;  // server -> client: 31 result; 32 reason; 33 identity, 34, 35
inline constexpr int kWallet = 3;       // server -> client, whenever it changes: 34 coins, 35 ballots
inline constexpr int kHeartbeat = 4;    // either way, no fields
inline constexpr int kInterest = 5;     // client -> server: 36 the Chamber is open (1) or closed (0)

// The largest images of a login and of a Chamber request: a name, a token and some room. Larger
// ones are refused before a record of theirs is read.
inline constexpr std::size_t kMaxLoginBytes = 1024;
inline constexpr std::size_t kMaxRequestBytes = 1024;
// The largest frame a client's message fills: the id and the larger image. A server keeps no
// frame from a client that is larger; it skips its bytes.
inline constexpr std::uint32_t kMaxClientFrame =
    4 + static_cast<std::uint32_t>(kMaxLoginBytes > kMaxRequestBytes ? kMaxLoginBytes : kMaxRequestBytes);
// A player's name: 1 to 64 bytes of UTF-8.
inline constexpr std::size_t kMaxNameBytes = 64;

namespace field {
inline constexpr short kName = 50;
inline constexpr short kToken = 51;
inline constexpr short kResult = 31;
inline constexpr short kReason = 32;
inline constexpr short kIdentity = 33;
inline constexpr short kCoins = 34;
inline constexpr short kBallots = 35;
inline constexpr short kOpen = 36;
}  // namespace field

struct Wallet {
    int coins = 0;
    int ballots = 0;
    friend bool operator==(const Wallet&, const Wallet&) = default;
};

// The answer to the Chamber's OnUserHasPower: a code of 10000 or more asks for code - 10000 M
// coins, a smaller code for that many ballots.
constexpr bool CanPay(const Wallet& wallet, int code) {
    return code >= 10000 ? wallet.coins >= code - 10000 : wallet.ballots >= code;
}

struct Login {
    std::string name;  // UTF-8
    std::string token;
};

// A login result: on success the identity text for SetUserInfo and the wallet, else the reason.
struct LoginResult {
    bool ok = false;
    std::string reason;
    std::string identity;
    Wallet wallet;
};

CKParam MakeLogin(const Login& login);
// Empty when the name or the token is missing.
std::optional<Login> ReadLogin(const CKParam& packet);

CKParam MakeLoginAccepted(const std::string& identity, const Wallet& wallet);
CKParam MakeLoginRefused(const std::string& reason);
LoginResult ReadLoginResult(const CKParam& packet);

CKParam MakeWallet(const Wallet& wallet);

// A heartbeat: a packet without records whose image says so (length word 12). A newly made CKParam
// keeps 0 in its length word until it is written, and a reader cannot restore that image.
CKParam MakeHeartbeat();
std::optional<Wallet> ReadWallet(const CKParam& packet);

// Tells the server whether the player's Chamber is open: only an open one is sent its tables.
CKParam MakeInterest(bool open);
// Empty unless field 36 is 0 or 1.
std::optional<bool> ReadInterest(const CKParam& packet);

}  // namespace wire
