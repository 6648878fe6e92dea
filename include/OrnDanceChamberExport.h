// The one export macro of the library: everything not marked ODC_API stays hidden in the shared object.
#pragma once

#if defined(_WIN32)
#if defined(ODC_BUILDING_LIBRARY)
#define ODC_API __declspec(dllexport)
#else
#define ODC_API __declspec(dllimport)
#endif
#else
#define ODC_API __attribute__((visibility("default")))
#endif
