#ifndef ZAR_EXCHANGE_MOTION_EDITS_H_
#define ZAR_EXCHANGE_MOTION_EDITS_H_

// What a conversion does to a capture between reading and writing it (a range of frames, another
// length unit), and when there is nothing to write: one rule for every caller (the command-line
// tool's convert, the Python package).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "exchange/marker_set.h"
#include "exchange/skeleton.h"
#include "filelib/motion_units.h"

namespace zar::exchange {

// A range of frame numbers asked for; none at an end: the model's first or last frame.
struct FrameRange {
  std::optional<std::int64_t> from;
  std::optional<std::int64_t> to;
  // The frames kept start a clip of their own, numbered from 1 at 0 s, unless this is set.
  bool keep_time = false;

  bool Asked() const { return from || to; }
};

// The frames of `range` among frames numbered `first` to `first + frames - 1`, as an index and a
// count; none when none of them are there.
std::optional<std::pair<std::int64_t, std::int64_t>> FrameIndices(const FrameRange& range,
                                                                  std::int64_t first,
                                                                  std::int64_t frames);

// "the frames asked for are outside <name>'s frames A to B".
std::string FramesOutside(std::string_view name, std::int64_t first, std::int64_t frames);

// Keeps the frames of `range` (nothing when none is asked for). Returns "the frames asked for
// are outside <name>'s frames A to B" when none of them are there (the model unchanged), empty
// otherwise; `name` names the source for the message.
std::string KeepFrameRange(MarkerSet& set, const FrameRange& range, std::string_view name);
std::string KeepFrameRange(Skeleton& skeleton, const FrameRange& range, std::string_view name);

// Every marker's position in `unit`; model outputs (angles, forces, ...) are not lengths and
// keep their values.
void ConvertLengths(MarkerSet& set, LengthUnit unit);
// Every length of the skeleton in `unit`.
void ConvertLengths(Skeleton& skeleton, LengthUnit unit);

// "holds no <kind>; nothing to write" or "holds no frames; nothing to write" for a model with no
// `items` or no frames, so that nothing empty is written as if converted; empty otherwise.
std::string NothingToWrite(std::size_t items, std::string_view kind, std::int64_t frames);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_MOTION_EDITS_H_
