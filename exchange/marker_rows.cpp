#include "exchange/marker_rows.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "exchange/decimal_text.h"
#include "exchange/ordered_blocks.h"

namespace zar::exchange {

namespace {

// Frames per block of rows made on one thread: about a megabyte of text for 80 markers.
constexpr std::int64_t kRowsPerBlock = 512;

// The rows of frames [from, to), whose samples lie frame after frame from `samples`.
void WriteRows(const MarkerSet& set, std::int64_t from, std::int64_t to,
               const MarkerSample* samples, char separator, std::string_view line_end,
               TextBlock& out) {
  const std::size_t markers = set.NumMarkers();
  for (std::int64_t k = from; k < to; ++k) {
    const std::int64_t frame = set.first_frame + k;
    char* p = out.Reserve(2 * kNumberRoom);
    p = std::to_chars(p, p + 24, frame).ptr;
    *p++ = separator;
    if (set.rate > 0) {
      p = std::to_chars(p, p + kNumberRoom, FrameTime(set.first_frame, k, set.rate),
                        std::chars_format::fixed)
              .ptr;
    }
    out.Advance(p);
    const MarkerSample* sample = samples + static_cast<std::size_t>(k - from) * markers;
    for (std::size_t m = 0; m < markers; ++m, ++sample) {
      p = out.Reserve(3 * kNumberRoom);
      *p++ = separator;
      if (sample->present) {
        p = WriteShortest(p, sample->x);
        *p++ = separator;
        p = WriteShortest(p, sample->y);
        *p++ = separator;
        p = WriteShortest(p, sample->z);
      } else {
        *p++ = separator;
        *p++ = separator;
      }
      out.Advance(p);
    }
    out.Write(line_end);
  }
}

}  // namespace

void WriteMarkerRows(const MarkerSet& set, char separator, std::string_view line_end,
                     OutputFile& out) {
  WriteInOrder(out, set.NumFrames(), kRowsPerBlock,
               [&](std::int64_t from, std::int64_t to, TextBlock& text) {
                 WriteRows(set, from, to, set.Frame(from), separator, line_end, text);
               });
}

void WriteMarkerRows(const MarkerSet& set, std::int64_t frames, const FrameMaker& make,
                     char separator, std::string_view line_end, OutputFile& out) {
  WriteInOrder(
      out, frames, kRowsPerBlock, [&](std::int64_t from, std::int64_t to, TextBlock& text) {
        std::vector<MarkerSample> samples(static_cast<std::size_t>(to - from) * set.NumMarkers());
        make(from, to, samples.data());
        WriteRows(set, from, to, samples.data(), separator, line_end, text);
      });
}

}  // namespace zar::exchange
