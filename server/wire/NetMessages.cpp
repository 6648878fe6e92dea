#include "NetMessages.h"

namespace wire {

namespace {

std::optional<std::string> Text(const CKParam& packet, short id) {
    CString text;
    if (packet.GetCString(id, text) != 0) {
        return std::nullopt;
    }
    return text.ToUtf8();
}

}  // namespace

CKParam MakeLogin(const Login& login) {
    CKParam packet;
    packet.SetCString(field::kName, CString::FromUtf8(login.name));
    packet.SetCString(field::kToken, CString::FromUtf8(login.token));
    return packet;
}

std::optional<Login> ReadLogin(const CKParam& packet) {
    std::optional<std::string> name = Text(packet, field::kName);
    std::optional<std::string> token = Text(packet, field::kToken);
    if (!name || !token) {
        return std::nullopt;
    }
    return Login{std::move(*name), std::move(*token)};
}

CKParam MakeLoginAccepted(const std::string& identity, const Wallet& wallet) {
    CKParam packet;
    packet.SetInt(field::kResult, 1);
    packet.SetCString(field::kIdentity, CString::FromUtf8(identity));
    packet.SetInt(field::kCoins, wallet.coins);
    packet.SetInt(field::kBallots, wallet.ballots);
    return packet;
}

CKParam MakeLoginRefused(const std::string& reason) {
    CKParam packet;
    packet.SetInt(field::kResult, 0);
    packet.SetCString(field::kReason, CString::FromUtf8(reason));
    return packet;
}

LoginResult ReadLoginResult(const CKParam& packet) {
    LoginResult result;
    int ok = 0;
    packet.GetInt(field::kResult, ok);
    result.ok = ok == 1;
    result.reason = Text(packet, field::kReason).value_or("");
    result.identity = Text(packet, field::kIdentity).value_or("");
    result.wallet = ReadWallet(packet).value_or(Wallet{});
    return result;
}

CKParam MakeHeartbeat() {
    static constexpr char kEmptyImage[12] = {12, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0};
    CKParam packet;
    packet.SetBufferPtr(kEmptyImage, sizeof kEmptyImage);
    return packet;
}

CKParam MakeWallet(const Wallet& wallet) {
    CKParam packet;
    packet.SetInt(field::kCoins, wallet.coins);
    packet.SetInt(field::kBallots, wallet.ballots);
    return packet;
}

std::optional<Wallet> ReadWallet(const CKParam& packet) {
    Wallet wallet;
    if (packet.GetInt(field::kCoins, wallet.coins) != 0 ||
        packet.GetInt(field::kBallots, wallet.ballots) != 0) {
        return std::nullopt;
    }
    return wallet;
}

CKParam MakeInterest(bool open) {
    CKParam packet;
    packet.SetInt(field::kOpen, open ? 1 : 0);
    return packet;
}

std::optional<bool> ReadInterest(const CKParam& packet) {
    int open = -1;
    if (packet.GetInt(field::kOpen, open) != 0 || (open != 0 && open != 1)) {
        return std::nullopt;
    }
    return open == 1;
}

}  // namespace wire
