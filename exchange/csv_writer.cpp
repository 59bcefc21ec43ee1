#include "exchange/csv_writer.h"

#include <algorithm>
#include <charconv>

#include "exchange/decimal_text.h"
#include "filelib/file_messages.h"
#include "filelib/output_file.h"

namespace zar::exchange {

namespace {

std::string Cell(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace

std::string WriteCSV(const MarkerSet& set, const std::string& path) {
  OutputFile out;
  if (!out.Open(path)) return std::string(zar::messages::kCannotOpen);
  std::string head = "frame,time";
  for (const std::string& name : UniqueMarkerNames(set)) {
    for (const char* axis : {"_x", "_y", "_z"}) head += ',' + Cell(name + axis);
  }
  head += '\n';
  out.Write(head);

  const std::size_t markers = set.NumMarkers();
  const std::int64_t origin = std::min<std::int64_t>(set.first_frame, 1);
  for (std::int64_t k = 0; k < set.NumFrames(); ++k) {
    const std::int64_t frame = set.first_frame + k;
    char* p = out.Reserve(2 * kNumberRoom);
    p = std::to_chars(p, p + 24, frame).ptr;
    *p++ = ',';
    if (set.rate > 0) {
      p = std::to_chars(p, p + kNumberRoom, static_cast<double>(frame - origin) / set.rate,
                        std::chars_format::fixed)
              .ptr;
    }
    out.Advance(p);
    const MarkerSample* sample = set.Frame(k);
    for (std::size_t m = 0; m < markers; ++m, ++sample) {
      p = out.Reserve(3 * kNumberRoom);
      *p++ = ',';
      if (sample->present) {
        p = WriteShortest(p, sample->x);
        *p++ = ',';
        p = WriteShortest(p, sample->y);
        *p++ = ',';
        p = WriteShortest(p, sample->z);
      } else {
        *p++ = ',';
        *p++ = ',';
      }
      out.Advance(p);
    }
    out.Write("\n");
  }
  if (!out.Commit()) return std::string(zar::messages::kCannotWrite);
  return std::string();
}

}  // namespace zar::exchange
