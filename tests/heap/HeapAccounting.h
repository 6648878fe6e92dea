// The process's heap use through operator new, counted by replacing the global allocation
// functions: the C++ allocations of the module, the toolkit, the standard library and CEGUI alike.
// Linked into the programs that measure it (benchmarks, the soak test), never into the module.
#pragma once

#include <cstdint>

namespace odc::heap {

// Allocations made by the process so far.
std::uint64_t Allocations();
// Bytes the process holds now, as the usable sizes of its blocks.
std::int64_t BytesInUse();
// Blocks the process holds now.
std::int64_t BlocksInUse();

}  // namespace odc::heap
