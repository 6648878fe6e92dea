// libFuzzer target for whole sessions: the input is decoded into a sequence of host calls (Create,
// Show, Release, SetUserInfo, MsgBox, SetRecParam with well-formed and malformed packets), clicks
// on any widget (left and right), message-box answers, typed texts, keys, jumps of the local clock
// and toolkit time, and host callbacks that call back into the module. After each step the session
// checks that at most one detail panel is open, that the open panels show current records (the
// nation buttons after each refresh, the vote list, a post's panel on each click, compared with a
// model of the job records) and that every request the host received is well-formed; the
// sanitizers check the rest, LeakSanitizer included. Every input ends with the screen destroyed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "OrnDanceChamberTesting.h"
#include "Session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ChamberSession::ByteChoices choices(std::span(data, size));
    {
        ChamberSession::Session session(choices, ChamberSession::Glyphs::Any);
        for (int step = 1; !choices.Exhausted(); ++step) {
            if (const std::string failure = session.Step(); !failure.empty()) {
                std::fprintf(stderr, "session fuzzer, step %d: %s\n", step, failure.c_str());
                std::abort();
            }
            // A host's frame passes between two of its moves: CEGUI frees unloaded windows then.
            // Without it, windows of many releases pile up in its dead pool, and freeing each
            // scans a list of all of them.
            GUI::Testing::AdvanceTime(0);
        }
    }
    // Unloaded windows leave CEGUI's dead pool when time passes.
    GUI::Testing::AdvanceTime(0);
    return 0;
}
