#ifndef ZAR_EXCHANGE_WRITE_STEPS_H_
#define ZAR_EXCHANGE_WRITE_STEPS_H_

// What writing a motion in a format does to it and says about it, for every caller (the
// command-line tool's convert, the Python package): the up axis a format can be written in, the
// frame numbers it can hold, the names and bone scale factors it cannot, each in the words the
// user reads.

#include <optional>
#include <string>
#include <vector>

#include "exchange/marker_formats.h"
#include "exchange/skeleton_formats.h"

namespace zar::exchange {

// Turns `model` to `up` where the format can be written so; otherwise "<format> is written Y up"
// (the model unchanged), for the caller to finish with how `up` was asked for.
std::string TurnForFormat(const MarkerFormat& target, Axis up, MarkerSet& set);
std::string TurnForFormat(const SkeletonFormat& target, Axis up, Skeleton& skeleton);

// What to say before writing `skeleton` in `target`: the joints whose scale factor the format
// drops, where it drops them.
std::vector<std::string> BeforeWriting(const SkeletonFormat& target, const Skeleton& skeleton);
// The set numbered as `target` counts frames (C3D from 1), and what to say about it.
std::vector<std::string> BeforeWriting(const MarkerFormat& target, const std::string& path,
                                       MarkerSet& set);
// What to say after writing `set` in `target` at `path`: the names the writer changed.
std::vector<std::string> AfterWriting(const MarkerFormat& target, const std::string& path,
                                      const MarkerSet& set);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_WRITE_STEPS_H_
