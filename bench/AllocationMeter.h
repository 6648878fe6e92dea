// Counts the heap allocations of a benchmark's timed work, every operator new of the process (the
// module's, the standard library's and CEGUI's alike), and reports them per iteration as "allocs".
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

#include "HeapAccounting.h"

namespace odc::bench {

// Counts from construction to Report. Work done while the timing is paused through Pause and
// Resume is left out, as it is from the time.
class AllocationMeter {
public:
    explicit AllocationMeter(benchmark::State& state) : m_state(state), m_start(heap::Allocations()) {}

    void Pause() {
        m_state.PauseTiming();
        m_pausedAt = heap::Allocations();
    }
    void Resume() {
        m_excluded += heap::Allocations() - m_pausedAt;
        m_state.ResumeTiming();
    }
    // Sets the counter "allocs": allocations per iteration.
    void Report() {
        const auto counted = static_cast<double>(heap::Allocations() - m_start - m_excluded);
        m_state.counters["allocs"] = benchmark::Counter(counted, benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& m_state;
    std::uint64_t m_start;
    std::uint64_t m_pausedAt = 0;
    std::uint64_t m_excluded = 0;
};

}  // namespace odc::bench
