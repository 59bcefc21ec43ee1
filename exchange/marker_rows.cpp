#include "exchange/marker_rows.h"

#include <algorithm>
#include <charconv>

#include "exchange/decimal_text.h"

namespace zar::exchange {

void WriteMarkerRows(const MarkerSet& set, char separator, std::string_view line_end,
                     OutputFile& out) {
  const std::size_t markers = set.NumMarkers();
  const std::int64_t origin = std::min<std::int64_t>(set.first_frame, 1);
  for (std::int64_t k = 0; k < set.NumFrames(); ++k) {
    const std::int64_t frame = set.first_frame + k;
    char* p = out.Reserve(2 * kNumberRoom);
    p = std::to_chars(p, p + 24, frame).ptr;
    *p++ = separator;
    if (set.rate > 0) {
      p = std::to_chars(p, p + kNumberRoom, static_cast<double>(frame - origin) / set.rate,
                        std::chars_format::fixed).ptr;
    }
    out.Advance(p);
    const MarkerSample* sample = set.Frame(k);
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

}  // namespace zar::exchange
