#include "exchange/trc_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <string_view>

#include "filelib/file_messages.h"
#include "filelib/output_file.h"

namespace zar::exchange {

namespace {

// The longest fixed-point text of a double (sign, 309 digits, point, 17 decimals) and a tab.
constexpr std::size_t kNumberRoom = 1 + 309 + 1 + 330 + 1;

// The shortest fixed-point text that reads back as `value`: as a float when the value is one
// (what C3D and most capture systems store), else as a double.
char* Number(char* p, double value) {
  if (!std::isfinite(value)) return p;
  const auto single = static_cast<float>(value);
  if (static_cast<double>(single) == value) {
    return std::to_chars(p, p + kNumberRoom, single, std::chars_format::fixed).ptr;
  }
  return std::to_chars(p, p + kNumberRoom, value, std::chars_format::fixed).ptr;
}

std::string NumberText(double value) {
  char text[kNumberRoom];
  return std::string(text, Number(text, value));
}

}  // namespace

std::string WriteTRC(const MarkerSet& set, const std::string& path) {
  OutputFile out;
  if (!out.Open(path)) return std::string(zar::messages::kCannotOpen);
  const std::vector<std::string> names = UniqueMarkerNames(set);
  const std::string frames = std::to_string(set.NumFrames());
  const std::string rate = NumberText(set.rate);
  const std::string camera_rate = NumberText(set.camera_rate > 0 ? set.camera_rate : set.rate);

  std::string head = "PathFileType\t4\t(X/Y/Z)\t";
  head += std::filesystem::path(path).filename().string();
  head += "\r\nDataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
          "OrigDataStartFrame\tOrigNumFrames\r\n";
  head += rate + '\t' + camera_rate + '\t' + frames + '\t' + std::to_string(names.size()) + '\t';
  head += LengthUnitText(set.units);
  head += '\t' + rate + '\t' + std::to_string(set.first_frame) + '\t' + frames + "\r\n";
  head += "Frame#\tTime";
  for (const std::string& name : names) head += '\t' + name + "\t\t";
  head += "\r\n\t";
  for (std::size_t i = 1; i <= names.size(); ++i) {
    const std::string n = std::to_string(i);
    head += "\tX" + n + "\tY" + n + "\tZ" + n;
  }
  head += "\r\n\r\n";
  out.Write(head);

  const std::size_t markers = set.NumMarkers();
  const std::int64_t origin = std::min<std::int64_t>(set.first_frame, 1);
  for (std::int64_t k = 0; k < set.NumFrames(); ++k) {
    const std::int64_t frame = set.first_frame + k;
    char* p = out.Reserve(2 * kNumberRoom);
    p = std::to_chars(p, p + 24, frame).ptr;
    *p++ = '\t';
    // Time from frame 1 of the capture (from the first frame written when numbering starts at 0).
    if (set.rate > 0) {
      p = std::to_chars(p, p + kNumberRoom, static_cast<double>(frame - origin) / set.rate,
                        std::chars_format::fixed).ptr;
    }
    out.Advance(p);
    const MarkerSample* sample = set.Frame(k);
    for (std::size_t m = 0; m < markers; ++m, ++sample) {
      p = out.Reserve(3 * kNumberRoom);
      *p++ = '\t';
      if (sample->present) {
        p = Number(p, sample->x);
        *p++ = '\t';
        p = Number(p, sample->y);
        *p++ = '\t';
        p = Number(p, sample->z);
      } else {
        *p++ = '\t';
        *p++ = '\t';
      }
      out.Advance(p);
    }
    out.Write("\r\n");
  }
  if (!out.Commit()) return std::string(zar::messages::kCannotWrite);
  return std::string();
}

}  // namespace zar::exchange
