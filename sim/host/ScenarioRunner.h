// Plays a scenario on a session: each command is written to the transcript with the simulated
// time, carried out as the player's input (GUI::Testing) or as the world's doing, and followed by
// what the host, the server and the screen did in answer.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Scenario.h"
#include "Session.h"
#include "Transcript.h"

namespace sim {

class ScenarioRunner {
public:
    // Draws the screen into a PNG file; false when it could not be written.
    using PictureTaker = std::function<bool(const std::string& path)>;

    // `takePicture` may be empty: pictures are then only counted and named.
    ScenarioRunner(Session& session, Transcript& transcript, std::string outDir, PictureTaker takePicture);

    // Returns how many commands could not be carried out (a click that did not reach its widget, a
    // message box that was not there, ...); each is written to the transcript with "!". A `player`
    // logs in first, unless the scenario begins with a login of its own.
    int Run(std::vector<Command> commands, const std::string& player = {});

private:
    bool Execute(const Command& command);
    // A widget's full name: as written, or with "Chamber/" in front when only that name exists.
    static CString Resolve(const std::string& name);
    void Missed(const std::string& what);

    Session& m_session;
    Transcript& m_transcript;
    std::string m_outDir;
    PictureTaker m_takePicture;
    int m_pictures = 0;
};

}  // namespace sim
