// The Chamber's events through its facade, headless, each from the host's call (or the injected
// input) to its last effect: what one event costs the host's GUI thread. BENCHMARKS.md states the
// figures as fractions of a 16.7 ms frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "AllocationMeter.h"
#include "OrnDanceChamberTesting.h"
#include "PacketSamples.h"
#include "chamber/CGuiDanceChamber.h"
#include "chamber/ChamberClock.h"
#include "gui/GuiDisposal.h"
#include "gui/GuiRuntime.h"
#include "param/ChamberMessages.h"

namespace odc::bench {
namespace {

// Post 1 is vacant: its nation button opens the vacant-post panel, with its candidates' vote list.
constexpr const char16_t* kVacantPostButton = u"Chamber/m_GuiCommon.ArryIBNations[0]";
constexpr const char16_t* kVoteListButton = u"Chamber/m_GuiJobDetail.SIUserVotes";
constexpr const char16_t* kApplyButton = u"Chamber/m_GuiJobDetail.SIRequest";
constexpr int kClockTimerMs = 1000;
constexpr int kClosePanelsKey = 0x57;  // F11

class BenchHost : public CGuiDanceChamber {
public:
    int requests = 0;

    int OnSendParam(int, int, CKParam&) override {
        ++requests;
        return 0;
    }
    bool OnUserHasPower(int) override { return true; }
};

// A host with the fifteen posts and `applications` applications on the first `jobs` posts, on a
// fixed clock at which they all run; the widget tree is built and the hall open.
class OpenChamber {
public:
    OpenChamber(int applications, int jobs) {
        SetLocalClockSource([] { return std::int64_t{kClock}; });
        Receive(ChamberMsg::kJobTableWithClock, JobTablePacket(SampleJobs(), kClock));
        if (applications > 0)
            Receive(ChamberMsg::kApplicationList,
                    ApplicationListPacket(SampleApplications(applications, jobs)));
        host.Create(nullptr);
        host.Show(true);
    }
    OpenChamber(const OpenChamber&) = delete;
    OpenChamber& operator=(const OpenChamber&) = delete;
    ~OpenChamber() {
        host.Release();
        GUI::Runtime::Advance(0);  // CEGUI frees destroyed windows on the next pulse
        SetLocalClockSource({});
    }

    void Receive(int id, const CKParam& packet) { host.SetRecParam(0, id, packet); }
    bool Click(const char16_t* name) { return GUI::Testing::Click(name); }

    BenchHost host;
};

void Fail(benchmark::State& state, const char* what) {
    state.SkipWithError(what);
}

void Create(benchmark::State& state) {
    OpenChamber chamber(0, kJobCount);
    chamber.host.Release();
    AllocationMeter allocations(state);
    for (auto _ : state) {
        chamber.host.Create(nullptr);
        allocations.Pause();
        chamber.host.Release();
        GUI::Runtime::Advance(0);
        allocations.Resume();
    }
    allocations.Report();
}

// Release: the tree leaves the GUI; CEGUI destroys its windows in the time pulses that follow.
void Release(benchmark::State& state) {
    OpenChamber chamber(0, kJobCount);
    AllocationMeter allocations(state);
    for (auto _ : state) {
        allocations.Pause();
        chamber.host.Create(nullptr);
        chamber.host.Show(true);
        allocations.Resume();
        chamber.host.Release();
        state.PauseTiming();
        GUI::Testing::FinishDisposal();
        state.ResumeTiming();
    }
    allocations.Report();
}

// The frames after a Release (a time pulse of 16 ms each) until every window of the tree is
// destroyed and freed: the time of the slowest of them. The counter says how many frames it took.
void SlowestFrameAfterRelease(benchmark::State& state) {
    OpenChamber chamber(0, kJobCount);
    int frames = 0;
    for (auto _ : state) {
        chamber.host.Create(nullptr);
        chamber.host.Show(true);
        chamber.host.Release();
        std::chrono::duration<double> slowest{0};
        frames = 0;
        bool freed = false;
        while (!freed) {
            // The pulse after the last destruction frees the last slice.
            freed = GUI::detail::BuriedCount() == 0;
            const auto start = std::chrono::steady_clock::now();
            GUI::Runtime::Advance(16);
            slowest =
                std::max<std::chrono::duration<double>>(slowest, std::chrono::steady_clock::now() - start);
            ++frames;
        }
        state.SetIterationTime(slowest.count());
    }
    state.counters["frames"] = frames;
}

void ShowTrue(benchmark::State& state) {
    OpenChamber chamber(static_cast<int>(state.range(0)), kJobCount);
    chamber.host.Show(false);
    AllocationMeter allocations(state);
    for (auto _ : state) {
        chamber.host.Show(true);
        allocations.Pause();
        chamber.host.Show(false);
        allocations.Resume();
    }
    allocations.Report();
}

// The packet is rebuilt from its image before each call, outside the timing, as the host hands the
// screen a fresh packet for every response.
void Respond(benchmark::State& state, OpenChamber& chamber, int id, const CKParam& sample) {
    const std::string image = ImageOf(sample);
    CKParam packet;
    AllocationMeter allocations(state);
    for (auto _ : state) {
        allocations.Pause();
        packet.SetBufferPtr(image.data(), static_cast<int>(image.size()));
        allocations.Resume();
        chamber.Receive(id, packet);
    }
    allocations.Report();
    state.counters["bytes"] = static_cast<double>(image.size());
}

void JobTableWithHallOpen(benchmark::State& state) {
    OpenChamber chamber(0, kJobCount);
    Respond(state, chamber, ChamberMsg::kJobTableWithClock, JobTablePacket(SampleJobs(), kClock));
}

// A complete application list (replacing every list) or an update of every entry (merged), of
// `entries` applications on the first `jobs` posts, while post 1's vote list is open.
void ApplicationsWithVoteListOpen(benchmark::State& state, int id) {
    const int entries = static_cast<int>(state.range(0));
    const int jobs = static_cast<int>(state.range(1));
    OpenChamber chamber(entries, jobs);
    if (!chamber.Click(kVacantPostButton) || !chamber.Click(kVoteListButton))
        return Fail(state, "the vote list did not open");
    Respond(state, chamber, id, ApplicationListPacket(SampleApplications(entries, jobs)));
    const auto rows = GUI::Testing::Inspect(u"Chamber/m_GuiJobVotes.SIUserName0");
    if (!rows || !rows->visibleOnScreen || rows->text.IsEmpty()) Fail(state, "the vote list was not filled");
}

// The panel covers the nation button: F11 closes it between the clicks, as a player would.
void NationButtonClick(benchmark::State& state) {
    OpenChamber chamber(static_cast<int>(state.range(0)), 1);
    AllocationMeter allocations(state);
    for (auto _ : state) {
        allocations.Pause();
        GUI::Testing::PressKey(kClosePanelsKey);
        allocations.Resume();
        if (!chamber.Click(kVacantPostButton))
            return Fail(state, "the click did not reach the nation button");
    }
    allocations.Report();
    const auto panel = GUI::Testing::Inspect(u"Chamber/m_GuiJobDetail.SIContain");
    if (!panel || !panel->visibleOnScreen) Fail(state, "the vacant-post panel did not open");
}

void MsgBoxYesToRequest(benchmark::State& state) {
    OpenChamber chamber(static_cast<int>(state.range(0)), 1);
    if (!chamber.Click(kVacantPostButton)) return Fail(state, "the vacant-post panel did not open");
    AllocationMeter allocations(state);
    for (auto _ : state) {
        allocations.Pause();
        const bool asked = chamber.Click(kApplyButton);
        allocations.Resume();
        if (!asked || !GUI::Testing::AnswerMsgBox(u"1")) return Fail(state, "no question to answer");
    }
    allocations.Report();
    if (chamber.host.requests != static_cast<int>(state.iterations()))
        Fail(state, "a yes did not send the request");
}

void TimerTick(benchmark::State& state) {
    OpenChamber chamber(static_cast<int>(state.range(0)), kJobCount);
    AllocationMeter allocations(state);
    for (auto _ : state)
        GUI::Testing::AdvanceTime(kClockTimerMs);
    allocations.Report();
}

// The toolkit's own share of a tick: CEGUI's time pulse over the tree, with no timer due.
void TimePulseOnly(benchmark::State& state) {
    OpenChamber chamber(0, kJobCount);
    AllocationMeter allocations(state);
    for (auto _ : state)
        GUI::Testing::AdvanceTime(0);
    allocations.Report();
}

const bool kRegistered = [] {
    using benchmark::kMicrosecond;
    benchmark::RegisterBenchmark("Event/Create", Create)->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("Event/Release", Release)->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("Event/SlowestFrameAfterRelease", SlowestFrameAfterRelease)
        ->Unit(kMicrosecond)
        ->UseManualTime();
    // apps: applications held by the screen. An event's allocations must not grow with them.
    benchmark::RegisterBenchmark("Event/ShowTrue", ShowTrue)
        ->ArgName("apps")
        ->Arg(15)
        ->Arg(655)
        ->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("Event/JobTableWithHallOpen", JobTableWithHallOpen)->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("Event/ApplicationListWithVoteListOpen", ApplicationsWithVoteListOpen,
                                 ChamberMsg::kApplicationList)
        ->ArgNames({"entries", "jobs"})
        ->Args({655, kJobCount})
        ->Args({655, 1})
        ->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("Event/ApplicationUpdateWithVoteListOpen", ApplicationsWithVoteListOpen,
                                 ChamberMsg::kApplicationUpdate)
        ->ArgNames({"entries", "jobs"})
        ->Args({655, 1})
        ->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("Event/NationButtonClick", NationButtonClick)
        ->ArgName("apps")
        ->Arg(15)
        ->Arg(655)
        ->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("Event/MsgBoxYesToRequest", MsgBoxYesToRequest)
        ->ArgName("apps")
        ->Arg(15)
        ->Arg(655)
        ->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("Event/TimerTick", TimerTick)
        ->ArgName("apps")
        ->Arg(15)
        ->Arg(655)
        ->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("Event/TimePulseOnly", TimePulseOnly)->Unit(kMicrosecond);
    return true;
}();

}  // namespace
}  // namespace odc::bench
