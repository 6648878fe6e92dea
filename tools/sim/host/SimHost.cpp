#include "SimHost.h"

#include <vector>

#include "PacketText.h"

namespace sim {

std::string SimHost::Wallet() const {
    const rules::Player* player = m_server.PlayerById(m_player);
    if (player == nullptr) {
        return "(nobody logged in)";
    }
    return "(" + player->name + ": " + std::to_string(player->coins) + " M币, " +
           std::to_string(player->ballots) + " 选票)";
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
    m_server.Receive(m_player, id, image.data(), static_cast<int>(image.size()));
    return 0;
}

bool SimHost::OnUserHasPower(int code) {
    const bool can = m_server.CanPay(m_player, code);
    m_transcript.Line(
        1, "OnUserHasPower(" + std::to_string(code) + ") -> " + (can ? "true " : "false ") + Wallet());
    return can;
}

int SimHost::OnUsedCard(int code) {
    m_transcript.Line(1, "OnUsedCard(" + std::to_string(code) + ") " + Wallet());
    return 0;
}

}  // namespace sim
