#include "ScenarioRunner.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "OrnDanceChamberTesting.h"
#include "PacketText.h"

namespace sim {

namespace {

std::string CommandText(const Command& command) {
    std::string text(VerbName(command.verb));
    switch (command.verb) {
        case Verb::Open:
        case Verb::Close:
            return text;
        case Verb::Type:
            return text + " " + command.target + " " + Quoted(command.text);
        case Verb::Key: {
            const char* name = command.number == 0x44   ? "F10 "
                               : command.number == 0x57 ? "F11 "
                               : command.number == 0x58 ? "F12 "
                                                        : "";
            char code[16];
            std::snprintf(code, sizeof code, "(0x%02X)", static_cast<unsigned>(command.number));
            return text + " " + name + code;
        }
        case Verb::Wallet:
            return text + " " + std::to_string(command.number) + " M币 " + std::to_string(command.number2) +
                   " 选票";
        case Verb::Wait:
        case Verb::Jump:
            return text + " " + std::to_string(command.number / 1000) + "s";
        case Verb::Await:
            return text + " " + std::to_string(command.number) + " " +
                   MessageName(static_cast<int>(command.number));
        default:
            return text + " " + command.target;
    }
}

}  // namespace

ScenarioRunner::ScenarioRunner(Session& session, Transcript& transcript, std::string outDir,
                               PictureTaker takePicture)
    : m_session(session),
      m_transcript(transcript),
      m_outDir(std::move(outDir)),
      m_takePicture(std::move(takePicture)) {}

CString ScenarioRunner::Resolve(const std::string& name) {
    const CString asWritten = CString::FromUtf8(name);
    if (GUI::Testing::Inspect(asWritten)) {
        return asWritten;
    }
    return CString(u"Chamber/") + asWritten;
}

void ScenarioRunner::Missed(const std::string& what) {
    m_transcript.Line(1, "! " + what);
}

int ScenarioRunner::Run(std::vector<Command> commands, const std::string& player) {
    const auto first =
        std::find_if(commands.begin(), commands.end(), [](const Command& c) { return c.verb != Verb::Say; });
    if (!player.empty() && (first == commands.end() || first->verb != Verb::Login)) {
        commands.insert(commands.begin(), Command{0, Verb::Login, player, "", 0, 0});
    }
    int missed = 0;
    for (const Command& command : commands) {
        if (command.verb == Verb::Say) {
            m_transcript.Line("");
            m_transcript.Line("== " + command.target + " ==");
            continue;
        }
        m_transcript.Line("[" + m_session.Stamp() + "] > " + CommandText(command));
        missed += Execute(command) ? 0 : 1;
        m_session.Settle();
    }
    return missed;
}

bool ScenarioRunner::Execute(const Command& command) {
    using namespace GUI::Testing;
    switch (command.verb) {
        case Verb::Say:
            return true;
        case Verb::Login:
            if (!m_session.Login(command.target)) {
                Missed("cannot log in as " + command.target);
                return false;
            }
            return true;
        case Verb::Open:
            m_session.Open();
            return true;
        case Verb::Close:
            m_session.Close();
            return true;
        case Verb::Click:
        case Verb::RightClick:
            if (!Click(Resolve(command.target), command.verb == Verb::RightClick)) {
                Missed("the click does not reach " + command.target +
                       " (missing, hidden, disabled or covered)");
                return false;
            }
            return true;
        case Verb::Answer:
            if (!AnswerMsgBox(CString::FromUtf8(command.target))) {
                Missed("no message box is shown");
                return false;
            }
            return true;
        case Verb::Type:
            if (!TypeText(Resolve(command.target), CString::FromUtf8(command.text))) {
                Missed("no edit box " + command.target);
                return false;
            }
            return true;
        case Verb::Key:
            PressKey(static_cast<int>(command.number));
            return true;
        case Verb::Wait:
        case Verb::Jump:
            if (command.verb == Verb::Wait) {
                m_session.Wait(command.number);
            } else if (!m_session.Jump(command.number)) {
                Missed("the network server keeps its own time: no jumps");
                return false;
            }
            if (const auto clock = Inspect(u"Chamber/m_GuiCommon.SIServerTimer")) {
                m_transcript.Line(1, "server clock " + Quoted(clock->text.ToUtf8()));
            }
            return true;
        case Verb::Wallet:
            if (!m_session.SetWallet(static_cast<int>(command.number), static_cast<int>(command.number2))) {
                Missed("the network server owns the wallets");
                return false;
            }
            return true;
        case Verb::Await:
            if (!m_session.Await(static_cast<int>(command.number), command.number2)) {
                Missed("no message " + std::to_string(command.number) + " arrived");
                return false;
            }
            return true;
        case Verb::Picture: {
            char number[16];
            std::snprintf(number, sizeof number, "%02d", ++m_pictures);
            const std::string file = std::string(number) + "-" + command.target + ".png";
            if (!m_takePicture) {
                m_transcript.Line(1, "picture " + file + " (not drawn: --no-pictures)");
                return true;
            }
            m_transcript.Line(1, "picture " + file);
            if (!m_takePicture(m_outDir + "/" + file)) {
                Missed("cannot write " + m_outDir + "/" + file);
                return false;
            }
            return true;
        }
    }
    return false;
}

}  // namespace sim
