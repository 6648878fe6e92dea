// Counts the heap allocations of a benchmark program: every operator new of the process, the
// module's, the standard library's and CEGUI's alike, so that a benchmark can report how many
// allocations one iteration makes.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

namespace odc::bench {

// Allocations made by this process so far.
std::uint64_t Allocations();

// Counts the allocations of a benchmark's timed work, from construction to Report. Work done while
// the timing is paused through Pause and Resume is left out, as it is from the time.
class AllocationMeter {
public:
    explicit AllocationMeter(benchmark::State& state) : m_state(state), m_start(Allocations()) {}

    void Pause();
    void Resume();
    // Sets the counter "allocs": allocations per iteration.
    void Report();

private:
    benchmark::State& m_state;
    std::uint64_t m_start;
    std::uint64_t m_pausedAt = 0;
    std::uint64_t m_excluded = 0;
};

}  // namespace odc::bench
