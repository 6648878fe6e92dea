#include "HeapAccounting.h"

#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> g_allocations{0};
std::atomic<std::int64_t> g_bytes{0};
std::atomic<std::int64_t> g_blocks{0};

void* Allocate(std::size_t size, std::size_t alignment) {
    void* block = alignment > alignof(std::max_align_t)
                      ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                      : std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    g_blocks.fetch_add(1, std::memory_order_relaxed);
    g_bytes.fetch_add(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
    return block;
}

void Free(void* block) noexcept {
    if (block == nullptr) return;
    g_bytes.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
    g_blocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

namespace odc::heap {

std::uint64_t Allocations() {
    return g_allocations.load(std::memory_order_relaxed);
}

std::int64_t BytesInUse() {
    return g_bytes.load(std::memory_order_relaxed);
}

std::int64_t BlocksInUse() {
    return g_blocks.load(std::memory_order_relaxed);
}

}  // namespace odc::heap

// Every form, exported, so that the calls of the shared libraries (CEGUI's) reach them too.
#define ODC_HEAP_EXPORT __attribute__((visibility("default")))

ODC_HEAP_EXPORT void* operator new(std::size_t size) {
    return Allocate(size, 0);
}
ODC_HEAP_EXPORT void* operator new[](std::size_t size) {
    return Allocate(size, 0);
}
ODC_HEAP_EXPORT void* operator new(std::size_t size, std::align_val_t alignment) {
    return Allocate(size, static_cast<std::size_t>(alignment));
}
ODC_HEAP_EXPORT void* operator new[](std::size_t size, std::align_val_t alignment) {
    return Allocate(size, static_cast<std::size_t>(alignment));
}
ODC_HEAP_EXPORT void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
ODC_HEAP_EXPORT void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
ODC_HEAP_EXPORT void operator delete(void* block) noexcept {
    Free(block);
}
ODC_HEAP_EXPORT void operator delete[](void* block) noexcept {
    Free(block);
}
ODC_HEAP_EXPORT void operator delete(void* block, std::size_t) noexcept {
    Free(block);
}
ODC_HEAP_EXPORT void operator delete[](void* block, std::size_t) noexcept {
    Free(block);
}
ODC_HEAP_EXPORT void operator delete(void* block, std::align_val_t) noexcept {
    Free(block);
}
ODC_HEAP_EXPORT void operator delete[](void* block, std::align_val_t) noexcept {
    Free(block);
}
ODC_HEAP_EXPORT void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    Free(block);
}
ODC_HEAP_EXPORT void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    Free(block);
}
#undef ODC_HEAP_EXPORT
