#ifndef ZAR_EXCHANGE_MARKER_ROWS_H_
#define ZAR_EXCHANGE_MARKER_ROWS_H_

// The frame rows of the text marker formats: the frame number, the time, then x, y, z of every
// marker, between `separator`s.

#include <cstdint>
#include <functional>
#include <string_view>

#include "atomic_file/output_file.h"
#include "exchange/marker_set.h"

namespace zar::exchange {

// The time in seconds of frame index `k` (from 0) of a set whose frame 0 is numbered
// `first_frame`: counted from frame 1 of the capture (from frame 0 when numbering starts at 0).
inline double FrameTime(std::int64_t first_frame, std::int64_t k, double rate) {
  const std::int64_t origin = first_frame < 1 ? first_frame : 1;
  return static_cast<double>(first_frame + k - origin) / rate;
}

// One row per frame into `out`, each ended by `line_end`. The time counts from frame 1 of the
// capture (from the first frame written when numbering starts at 0), from the exact rate; none
// when the rate is not above 0. Coordinates in their shortest text (WriteShortest); a missing
// sample is three empty fields.
void WriteMarkerRows(const MarkerSet& set, char separator, std::string_view line_end,
                     OutputFile& out);

// Fills `samples` with the samples of frames [from, to), frame after frame, one per marker. Called
// for different frames at once, so it may only read what it shares with other calls.
using FrameMaker = std::function<void(std::int64_t from, std::int64_t to, MarkerSample* samples)>;

// The same for `frames` frames made as their rows are: `set` gives the markers, the rate and the
// numbering (not the samples), `make` the samples.
void WriteMarkerRows(const MarkerSet& set, std::int64_t frames, const FrameMaker& make,
                     char separator, std::string_view line_end, OutputFile& out);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_MARKER_ROWS_H_
