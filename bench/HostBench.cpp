// What one server message costs chamber-sim's host on its GUI thread, besides the screen's own
// handling (chamber_bench): the gate's checks, the message's lines in the transcript and the
// screen watcher's look after it. The host's delivery budget per frame (sim/host/Session.cpp) is
// set against these figures.
#include <benchmark/benchmark.h>

#include <deque>

#include "AllocationMeter.h"
#include "PacketSamples.h"
#include "PacketText.h"
#include "ScreenWatcher.h"
#include "ServerGate.h"
#include "Session.h"
#include "chamber/CGuiDanceChamber.h"
#include "gui/GuiRuntime.h"
#include "param/ChamberMessages.h"

namespace odc::bench {
namespace {

// The messages of a login, as the server sends them.
wire::Frame TableFrame() {
    const std::string image = ImageOf(JobTablePacket(SampleJobs(), kClock));
    return {ChamberMsg::kJobTableWithClock, std::vector<char>(image.begin(), image.end())};
}
wire::Frame ListFrame() {
    const std::string image = ImageOf(ApplicationListPacket(SampleApplications(655)));
    return {ChamberMsg::kApplicationList, std::vector<char>(image.begin(), image.end())};
}

// ServerGate::Receive of the job table, or of the complete list of 655 applications for its posts,
// on a connection whose login passed; each message is taken from the queue again.
void Gate(benchmark::State& state) {
    sim::ServerGate gate;
    const CKParam login = wire::MakeLoginAccepted("UserId=1;level=0;family=1", {100, 10});
    gate.Receive({wire::kLoginResult,
                  std::vector<char>(login.GetBufferPtr(), login.GetBufferPtr() + login.GetLength())});
    const wire::Frame table = TableFrame();
    const wire::Frame list = ListFrame();
    gate.Receive(table);  // the posts the list's applications belong to
    gate.Next();
    AllocationMeter meter(state);
    for (auto _ : state) {
        gate.Receive(state.range(0) == 0 ? table : list);
        benchmark::DoNotOptimize(gate.Next());
    }
    meter.Report();
}
BENCHMARK(Gate)->ArgName("list")->Arg(0)->Arg(1);

// The lines of the transcript that describe the message (at most PacketText's bound of records).
void Describe(benchmark::State& state) {
    const wire::Frame frame = state.range(0) == 0 ? TableFrame() : ListFrame();
    AllocationMeter meter(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            sim::DescribePacket(frame.id, frame.image.data(), static_cast<int>(frame.image.size())));
    }
    meter.Report();
}
BENCHMARK(Describe)->ArgName("list")->Arg(0)->Arg(1);

// A link that hands the session the messages pushed into it, as a server would send them.
class PushLink final : public sim::GameLink {
public:
    void Push(const wire::Frame& frame) { m_messages.push_back({frame.id, frame.image}); }

    bool Login(std::string_view) override { return true; }
    std::string PlayerName() const override { return "甲"; }
    std::optional<wire::Wallet> Wallet() const override { return wire::Wallet{100, 10}; }
    std::string Identity() const override { return "UserId=1;level=0;family=1"; }
    void ScreenOpened() override {}
    void ScreenClosed() override {}
    void Send(int, std::span<const char>) override {}
    std::optional<rules::Message> Next() override {
        if (m_messages.empty()) return std::nullopt;
        rules::Message message = std::move(m_messages.front());
        m_messages.pop_front();
        return message;
    }
    bool LiveClock() const override { return false; }
    void Advance(std::int64_t) override {}
    void Poll(std::chrono::milliseconds) override {}
    bool SetWallet(int, int) override { return false; }

private:
    std::deque<rules::Message> m_messages;
};

// The whole delivery of one message to the open hall, as the session does it after each step:
// its lines in the transcript, SetRecParam, the watcher's look. The job table comes again, or the
// complete list of 655 applications for the posts of the table (copying the message into the
// link is timed too).
void Deliver(benchmark::State& state) {
    GUI::Runtime::StartHeadless();
    PushLink link;
    sim::Transcript transcript("/dev/null", nullptr);
    sim::Session session(link, transcript);
    session.Open();
    link.Push(TableFrame());
    session.Settle();
    const wire::Frame frame = state.range(0) == 0 ? TableFrame() : ListFrame();
    AllocationMeter meter(state);
    for (auto _ : state) {
        link.Push(frame);
        session.Settle();
    }
    meter.Report();
}
BENCHMARK(Deliver)->ArgName("list")->Arg(0)->Arg(1);

// The screen watcher's look at the open hall when the message changed nothing it shows.
void Look(benchmark::State& state) {
    GUI::Runtime::StartHeadless();
    CGuiDanceChamber screen;
    screen.Create(nullptr);
    screen.Show(true);
    sim::Transcript transcript("/dev/null", nullptr);
    sim::ScreenWatcher watcher(transcript);
    watcher.Look();
    AllocationMeter meter(state);
    for (auto _ : state)
        watcher.Look();
    meter.Report();
    screen.Release();
}
BENCHMARK(Look);

}  // namespace
}  // namespace odc::bench
