// The Chamber's clocks: the machine's local clock (replaceable, for tests and simulations), the
// server clock estimated from one server timestamp, and the one text form of a time.
#pragma once

#include <cstdint>
#include <functional>

#include "OrnDanceChamberExport.h"
#include "text/CString.h"

// The local clock, seconds since 1970 UTC: the system clock unless a source was set.
ODC_API std::int64_t LocalClockNow();
// Replaces the local clock for this process (tests, simulations); an empty function restores the
// system clock.
ODC_API void SetLocalClockSource(std::function<std::int64_t()> source);

// The server clock: with a stored timestamp (both values > 0) the offset measured when it arrived,
// applied to `local` in 32-bit two's-complement arithmetic; otherwise `local` itself.
ODC_API int ServerNowFrom(int serverTime, int serverTimeLocal, int local);

// "%Y-%m-%d %H:%M:%S" in the machine's local time zone (with its daylight-saving rules), such as
// 2009-03-05 12:00:00; the empty text for a negative time or one after the year 3000.
ODC_API CString FormatTime(std::int64_t t);
