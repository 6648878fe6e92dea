// Watches the Chamber as the player sees it and tells the transcript what changed: panels shown
// and hidden, texts and images of visible widgets, and every message box. It reads the screen
// only through the toolkit's testing view (GUI::Testing::Widgets), never through the screen's
// internals; texts come out as UTF-8, an unpaired surrogate as U+FFFD.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Transcript.h"

namespace sim {

class ScreenWatcher {
public:
    explicit ScreenWatcher(Transcript& transcript) : m_transcript(transcript) {}

    // Writes what changed since the last look. `boxAgain` writes a shown message box even when
    // its text and id did not change (a result message shown twice in a row).
    void Look(bool boxAgain = false);
    // The text of a widget as last seen, empty when it was not visible.
    std::string TextOf(const std::string& name) const;

private:
    struct Seen {
        bool visible = false;
        std::string text;
        std::vector<std::string> images;
    };

    Transcript& m_transcript;
    std::map<std::string, Seen> m_seen;
    std::string m_box;  // id and text of the message box last written; empty while none is shown
};

}  // namespace sim
