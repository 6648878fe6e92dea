#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::uint64_t> g_allocations{0};
}  // namespace

// The library's other forms of new (arrays, nothrow) end here, and its other forms of delete in
// these. Exported, so that the calls of the shared libraries (CEGUI's) reach them too.
__attribute__((visibility("default"))) void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

__attribute__((visibility("default"))) void operator delete(void* memory) noexcept {
    std::free(memory);
}

__attribute__((visibility("default"))) void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace odc::bench {

std::uint64_t Allocations() {
    return g_allocations.load(std::memory_order_relaxed);
}

void AllocationMeter::Pause() {
    m_state.PauseTiming();
    m_pausedAt = Allocations();
}

void AllocationMeter::Resume() {
    m_excluded += Allocations() - m_pausedAt;
    m_state.ResumeTiming();
}

void AllocationMeter::Report() {
    const auto counted = static_cast<double>(Allocations() - m_start - m_excluded);
    m_state.counters["allocs"] = benchmark::Counter(counted, benchmark::Counter::kAvgIterations);
}

}  // namespace odc::bench
