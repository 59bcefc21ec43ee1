#ifndef ZAR_PLUGIN_SERVICES_KEY_TIME_RANGE_H_
#define ZAR_PLUGIN_SERVICES_KEY_TIME_RANGE_H_

// The importers' check that the keys they are about to set fall on the host's time line: a
// frame range or offset large enough to push a key past the tick counter is refused before
// anything is made, rather than losing those keys.

#include <cstdint>
#include <limits>

#include "sdk/modra_types.h"

namespace zar {

// Shown when the check fails.
inline constexpr const char* kKeysOutsideTimeLine =
    "The chosen frames and offset place keys outside the scene's time range.";

// True when every frame from `first` to `last` (offsets applied) at `ticksPerFrame` ticks a
// frame is a time the host can hold.
inline bool FramesFitTimeLine(std::int64_t first, std::int64_t last, std::int64_t ticksPerFrame) {
  return first * ticksPerFrame >= std::numeric_limits<modra::TickTime>::min() &&
         last * ticksPerFrame <= std::numeric_limits<modra::TickTime>::max();
}

}  // namespace zar

#endif  // ZAR_PLUGIN_SERVICES_KEY_TIME_RANGE_H_
