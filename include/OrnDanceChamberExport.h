// The export macros of the two shared libraries: ODC_PROTOCOL_API marks what the protocol library
// (text and packets) exports, ODC_API what the module (the toolkit and the Chamber) exports.
// Everything not marked stays hidden in its shared object.
#pragma once

#if defined(_WIN32)
#if defined(ODC_BUILDING_PROTOCOL)
#define ODC_PROTOCOL_API __declspec(dllexport)
#else
#define ODC_PROTOCOL_API __declspec(dllimport)
#endif
#if defined(ODC_BUILDING_LIBRARY)
#define ODC_API __declspec(dllexport)
#else
#define ODC_API __declspec(dllimport)
#endif
#else
#define ODC_PROTOCOL_API __attribute__((visibility("default")))
#define ODC_API __attribute__((visibility("default")))
#endif
