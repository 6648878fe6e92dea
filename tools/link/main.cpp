// chamber-link: a point-to-point link between two network namespaces that this program carries
// through a TUN device in each. Every packet waits the link's delay and a share of them is lost at
// random; the link can be cut (a partition: every packet is lost) and healed. It stands in for
// `tc qdisc … netem` on kernels built without netem. SIGUSR1 cuts the link, SIGUSR2 heals it,
// SIGINT or SIGTERM end it and the devices with it. Needs root.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <deque>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "CommandLine.h"
#include "Tun.h"

namespace tunlink {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kDevice = "odc0";
constexpr std::size_t kMaxPacket = 65536;

struct Options {
    std::string nsA, addressA, nsB, addressB;
    int delayMs = 0;
    double lossPercent = 0;
    std::uint64_t seed = 1;
    std::size_t queue = 10'000;  // packets waiting in one direction; beyond, they are lost
    int seconds = 0;             // the link ends by itself after this long; 0: never
};

// One direction of the link: what was read from one device and waits to be written to the other.
struct Direction {
    struct Packet {
        Clock::time_point due;
        std::vector<char> bytes;
    };
    int from, to;
    std::string name;
    std::deque<Packet> waiting;
    std::uint64_t passed = 0, lost = 0, cutOff = 0;
};

class Link {
public:
    Link(int a, int b, const Options& options)
        : m_options(options), m_random(options.seed), m_ab{a, b, "a->b", {}}, m_ba{b, a, "b->a", {}} {}

    // Carries packets until SIGINT or SIGTERM arrives on `signals`, or its time is up.
    void Run(int signals) {
        const Clock::time_point end = m_options.seconds > 0
                                          ? Clock::now() + std::chrono::seconds(m_options.seconds)
                                          : Clock::time_point::max();
        for (bool running = true; running;) {
            const Clock::time_point now = Clock::now();
            if (now >= end) {
                break;
            }
            Deliver(m_ab, now);
            Deliver(m_ba, now);
            pollfd fds[] = {{m_ab.from, POLLIN, 0}, {m_ba.from, POLLIN, 0}, {signals, POLLIN, 0}};
            const timespec wait = UntilNextDue(now, end);
            if (ppoll(fds, 3, &wait, nullptr) < 0 && errno != EINTR) {
                throw std::system_error(errno, std::generic_category(), "poll");
            }
            if (fds[2].revents & POLLIN) {
                running = TakeSignal(signals);
            }
            Read(m_ab, fds[0].revents);
            Read(m_ba, fds[1].revents);
        }
        for (const Direction* d : {&m_ab, &m_ba}) {
            std::cout << d->name << ": " << d->passed << " passed, " << d->lost << " lost, " << d->cutOff
                      << " lost to the cut" << std::endl;
        }
    }

private:
    bool TakeSignal(int signals) {
        signalfd_siginfo info{};
        if (read(signals, &info, sizeof info) != sizeof info) {
            return true;
        }
        if (info.ssi_signo == SIGUSR1 || info.ssi_signo == SIGUSR2) {
            m_cut = info.ssi_signo == SIGUSR1;
            std::cout << (m_cut ? "cut" : "healed") << std::endl;
            return true;
        }
        return false;
    }

    void Read(Direction& d, short events) {
        if ((events & POLLIN) == 0) {
            return;
        }
        std::vector<char> buffer(kMaxPacket);
        for (ssize_t n; (n = read(d.from, buffer.data(), buffer.size())) > 0;) {
            if (m_cut) {
                ++d.cutOff;
            } else if (m_loss(m_random) < m_options.lossPercent || d.waiting.size() >= m_options.queue) {
                ++d.lost;
            } else {
                d.waiting.push_back({Clock::now() + std::chrono::milliseconds(m_options.delayMs),
                                     std::vector<char>(buffer.begin(), buffer.begin() + n)});
            }
        }
    }

    static void Deliver(Direction& d, Clock::time_point now) {
        while (!d.waiting.empty() && d.waiting.front().due <= now) {
            const std::vector<char>& bytes = d.waiting.front().bytes;
            // A packet the kernel does not take is lost, as on a wire.
            d.passed += write(d.to, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
            d.waiting.pop_front();
        }
    }

    timespec UntilNextDue(Clock::time_point now, Clock::time_point end) const {
        Clock::time_point due = end;
        for (const Direction* d : {&m_ab, &m_ba}) {
            if (!d->waiting.empty()) {
                due = std::min(due, d->waiting.front().due);
            }
        }
        const auto ns = std::max<std::int64_t>(0, std::chrono::nanoseconds(due - now).count());
        return {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    }

    const Options& m_options;
    std::mt19937_64 m_random;
    std::uniform_real_distribution<double> m_loss{0.0, 100.0};
    Direction m_ab, m_ba;
    bool m_cut = false;
};

std::optional<int> ParseOptions(int argc, const char* const* argv, Options& options) {
    const std::unique_ptr<CLI::App> owner = cli::NewApp(
        "Joins two network namespaces (made with `ip netns add`) with a point-to-point link carried by this "
        "program through a TUN device \"odc0\" in each: ADDRESS_A in NS_A, ADDRESS_B in NS_B. Every packet "
        "waits the delay, and a share of them is lost. It prints \"link up\" once the link carries packets, "
        "\"cut\" and \"healed\" as signals arrive, and each direction's counts at the end. SIGUSR1 cuts the "
        "link, SIGUSR2 heals it, SIGINT or SIGTERM end it. Needs root.",
        "chamber-link");
    CLI::App& app = *owner;
    app.add_option("NS_A", options.nsA, "the first namespace")->required();
    app.add_option("ADDRESS_A", options.addressA, "its IPv4 address on the link")->required();
    app.add_option("NS_B", options.nsB, "the second namespace")->required();
    app.add_option("ADDRESS_B", options.addressB, "its IPv4 address on the link")->required();
    app.add_option("--delay", options.delayMs, "every packet waits MS milliseconds, each way (default 0)")
        ->type_name("MS")
        ->check(CLI::Range(0, 60'000));
    app.add_option("--loss", options.lossPercent, "the share of packets lost at random, each way (default 0)")
        ->type_name("PERCENT")
        ->check(CLI::Range(0.0, 100.0));
    app.add_option("--seed", options.seed, "the sequence of losses (default 1)")->type_name("N");
    app.add_option("--seconds", options.seconds, "end by itself after S seconds (default: only on a signal)")
        ->type_name("S")
        ->check(CLI::Range(0, 86'400));
    return cli::Parse(app, argc, argv);
}

}  // namespace

}  // namespace tunlink

int main(int argc, char** argv) {
    tunlink::Options options;
    if (const std::optional<int> exitCode = tunlink::ParseOptions(argc, argv, options)) {
        return *exitCode;
    }
    // The signals arrive through a descriptor that the loop polls with the devices.
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGUSR1, SIGUSR2, SIGINT, SIGTERM}) {
        sigaddset(&signals, signal);
    }
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    try {
        const int a = tunlink::OpenTun(options.nsA, tunlink::kDevice, options.addressA, options.addressB);
        const int b = tunlink::OpenTun(options.nsB, tunlink::kDevice, options.addressB, options.addressA);
        std::cout << "link up: " << options.nsA << " " << options.addressA << " <-> " << options.nsB << " "
                  << options.addressB << ", delay " << options.delayMs << " ms, loss " << options.lossPercent
                  << " %" << std::endl;
        tunlink::Link(a, b, options).Run(signalFd);
        close(a);
        close(b);
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "chamber-link: " << error.what() << "\n";
        return 1;
    }
}
