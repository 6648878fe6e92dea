#include "SimHost.h"

#include <vector>

#include "PacketText.h"

namespace sim {

std::string SimHost::Wallet() const {
    const std::optional<wire::Wallet> wallet = m_link.Wallet();
    if (!wallet) {
        return "(nobody logged in)";
    }
    return "(" + m_link.PlayerName() + ": " + std::to_string(wallet->coins) + " M币, " +
           std::to_string(wallet->ballots) + " 选票)";
}

void SimHost::OnExit() {
    m_transcript.Line(1, "OnExit()");
    m_exitRequested = true;
}

int SimHost::OnMsgBox(int type, int answer, int third) {
    m_transcript.Line(1, "OnMsgBox(" + std::to_string(type) + ", " + std::to_string(answer) + ", " +
                             std::to_string(third) + ")");
    return 0;
}

int SimHost::OnSendParam(int channel, int id, CKParam& packet) {
    // The packet dies with this call: its image is what travels.
    const std::vector<char> image(packet.GetBufferPtr(), packet.GetBufferPtr() + packet.GetLength());
    m_transcript.Line(1, "OnSendParam(" + std::to_string(channel) + ", " + std::to_string(id) + " " +
                             MessageName(id) + ", " + std::to_string(image.size()) + " bytes) -> server");
    for (const std::string& line : DescribePacket(id, image.data(), static_cast<int>(image.size()))) {
        m_transcript.Line(3, line);
    }
    m_link.Send(id, image);
    return 0;
}

bool SimHost::OnUserHasPower(int code) {
    const std::optional<wire::Wallet> wallet = m_link.Wallet();
    const bool can = wallet && wire::CanPay(*wallet, code);
    m_transcript.Line(
        1, "OnUserHasPower(" + std::to_string(code) + ") -> " + (can ? "true " : "false ") + Wallet());
    return can;
}

int SimHost::OnUsedCard(int code) {
    m_transcript.Line(1, "OnUsedCard(" + std::to_string(code) + ") " + Wallet());
    return 0;
}

}  // namespace sim
