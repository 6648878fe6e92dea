// The Chamber's share of a frame of a 3D engine: OGRE's dance hall (1280 x 720, legacy GL render
// system, a window without vertical sync) drawn alone, and with the Chamber over it in three states (the
// hall, a post's panel, the vote list), each frame swapped to the window; and opening the Chamber (Create and
// Show) on CEGUI's OGRE renderer. Needs an X server (Xvfb will do).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "GameLink.h"
#include "OgreScreens.h"
#include "OrnDanceChamberTesting.h"
#include "Session.h"

namespace {

using sim::OgreStack;

// One engine for the whole program, as in a game; main stops it.
std::unique_ptr<OgreStack> g_stack;
std::string g_stackError;

// Null, with the reason given to the benchmark, when the engine cannot start.
OgreStack* Stack(benchmark::State& state) {
    if (!g_stack && g_stackError.empty()) {
        try {
            g_stack =
                std::make_unique<OgreStack>(sim::OgreEngine::Settings{1280, 720, true, false, "ogre_bench"});
        } catch (const std::exception& failure) {
            g_stackError = failure.what();
        }
    }
    if (!g_stack) {
        state.SkipWithError(g_stackError.c_str());
    }
    return g_stack.get();
}

// The Chamber of the simulator's player against the in-process server, open in the engine's frame.
struct OpenChamber {
    explicit OpenChamber(OgreStack& stack) : session(link, transcript, &stack.gui.ChamberFrame()) {
        session.Login("小舞");
        session.Open();
        session.Settle();
    }
    ~OpenChamber() { GUI::Testing::FinishDisposal(); }

    sim::LocalLink link{1};
    sim::Transcript transcript{"/dev/null", nullptr};
    sim::Session session;
};

// Frames at 60 frames a second of scene time; the first ones (glyphs, textures) are not counted.
void Frames(benchmark::State& state, OgreStack& stack) {
    double seconds = 0;
    for (int warmUp = 0; warmUp < 3; ++warmUp) {
        stack.DrawFrame(seconds += 1.0 / 60);
        stack.engine.EndFrame();
    }
    for (auto _ : state) {
        stack.DrawFrame(seconds += 1.0 / 60);
        stack.engine.EndFrame();
    }
}

void SceneAlone(benchmark::State& state) {
    if (OgreStack* stack = Stack(state)) {
        Frames(state, *stack);
    }
}

// The Chamber open, after the clicks that bring it to the state measured.
using Clicks = std::vector<const char16_t*>;
void WithChamber(benchmark::State& state, const Clicks& clicks) {
    OgreStack* stack = Stack(state);
    if (stack == nullptr) {
        return;
    }
    OpenChamber chamber(*stack);
    for (const char16_t* click : clicks) {
        if (!GUI::Testing::Click(click)) {
            state.SkipWithError("a click did not reach its widget");
            return;
        }
        chamber.session.Settle();
    }
    Frames(state, *stack);
}

// Opening the Chamber on CEGUI's OGRE renderer (Create, Show and the server's tables) and the first
// frame that draws the new tree, each timed without the other.
void OpenCycle(benchmark::State& state, bool timeOpen) {
    OgreStack* stack = Stack(state);
    if (stack == nullptr) {
        return;
    }
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        std::optional<OpenChamber> chamber(std::in_place, *stack);
        const Clock::time_point opened = Clock::now();
        stack->DrawFrame(0);
        stack->engine.EndFrame();
        const Clock::time_point drawn = Clock::now();
        state.SetIterationTime(
            std::chrono::duration<double>(timeOpen ? opened - start : drawn - opened).count());
        chamber.reset();  // Release, and the windows' disposal: not timed
    }
}

constexpr const char16_t* kVacantPost = u"Chamber/m_GuiCommon.ArryIBNations[2]";
constexpr const char16_t* kVoteList = u"Chamber/m_GuiJobDetail.SIUserVotes";

}  // namespace

int main(int argc, char** argv) {
    using benchmark::kMillisecond;
    benchmark::RegisterBenchmark("OgreFrame/SceneAlone", SceneAlone)->Unit(kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("OgreFrame/WithHall", WithChamber, Clicks{})
        ->Unit(kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("OgreFrame/WithPanel", WithChamber, Clicks{kVacantPost})
        ->Unit(kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("OgreFrame/WithVoteList", WithChamber, Clicks{kVacantPost, kVoteList})
        ->Unit(kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Ogre/Open", OpenCycle, true)->Unit(kMillisecond)->UseManualTime();
    benchmark::RegisterBenchmark("Ogre/FirstFrameAfterOpen", OpenCycle, false)
        ->Unit(kMillisecond)
        ->UseManualTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_stack.reset();
    return 0;
}
