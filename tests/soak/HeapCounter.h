// The bytes this process holds through operator new, counted by replacing the global allocation
// functions (the C++ allocations of the module, the toolkit and CEGUI all go through them).
#pragma once

#include <cstdint>

namespace Soak {

std::int64_t HeapBytesInUse();

}  // namespace Soak
