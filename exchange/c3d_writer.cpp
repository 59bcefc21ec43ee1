// Writing a marker set as a C3D file. Conventions of what this writer produces: Intel processor
// format (little-endian words, IEEE reals); real storage, shown by a negative POINT:SCALE whose
// magnitude is 0.1 mm in the file's units (what an integer file of the same precision would
// use); the parameter section starts at block 2; no analog data; residual 0 for a sample that
// is present and -1 (with coordinates 0) for one that is missing.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "atomic_file/output_file.h"
#include "exchange/c3d_file.h"
#include "exchange/c3d_section_builder.h"
#include "exchange/exchange_messages.h"
#include "filelib/file_messages.h"

namespace zar::exchange {

namespace {

constexpr std::size_t kBlock = 512;
constexpr std::uint64_t kWordMax = 65535;

}  // namespace

std::int64_t C3DFirstFrame(const MarkerSet& set) {
  return std::max<std::int64_t>(set.first_frame, 1);
}

FileOutcome WriteC3D(const MarkerSet& set, const std::string& path) {
  const std::size_t points = set.NumMarkers();
  if (points > kWordMax) return FileOutcome::NotWritable(std::string(messages::kC3DTooManyPoints));
  const std::int64_t frames = set.NumFrames();
  const std::int64_t first = C3DFirstFrame(set);
  const std::int64_t last = first + frames - 1;
  if (first < 0 || last > 4294967295LL) {
    return FileOutcome::NotWritable(std::string(messages::kC3DFrameNumbers));
  }
  const bool long_frames = last > static_cast<std::int64_t>(kWordMax);
  const float rate = static_cast<float>(set.rate);
  const float scale =
      static_cast<float>(-0.1 * LengthConversionFactor(LengthUnit::kMillimetres, set.units));

  constexpr int kPoint = 1;
  constexpr int kAnalog = 2;
  constexpr int kTrial = 3;
  C3DSectionBuilder section;
  section.Group(kPoint, "POINT", "3-D point parameters");
  section.Words(kPoint, "USED", {static_cast<std::uint32_t>(points)}, "Number of points");
  section.Real(kPoint, "SCALE", scale, "Negative: point data stored as reals");
  section.Real(kPoint, "RATE", rate, "Frames per second");
  const std::size_t data_start_at = section.Words(kPoint, "DATA_START", {0}, "First data block");
  section.Words(kPoint, "FRAMES",
                {static_cast<std::uint32_t>(std::min<std::int64_t>(frames, kWordMax))},
                "Number of frames");
  section.Text1(kPoint, "UNITS", LengthUnitText(set.units), "Length unit");
  section.Text1(kPoint, "X_SCREEN", "+X", "Axis to the right on screen");
  section.Text1(kPoint, "Y_SCREEN", set.up == Axis::kZ ? "+Z" : "+Y", "Axis up on screen");
  std::vector<std::string> labels;
  std::vector<std::string> descriptions;
  for (const MarkerName& marker : set.markers) {
    labels.push_back(marker.name);
    descriptions.push_back(marker.description);
  }
  ContinuedC3DStrings(section, kPoint, "LABELS", labels, "Point labels");
  ContinuedC3DStrings(section, kPoint, "DESCRIPTIONS", descriptions, "Point descriptions");
  if (long_frames) section.Real(kPoint, "LONG_FRAMES", static_cast<float>(frames), "Frames");
  section.Group(kAnalog, "ANALOG", "Analog data parameters");
  section.Words(kAnalog, "USED", {0}, "Number of analog channels");
  section.Real(kAnalog, "RATE", rate, "Analog samples per second");
  if (long_frames) {
    const auto first_word = static_cast<std::uint64_t>(first);
    const auto last_word = static_cast<std::uint64_t>(last);
    section.Group(kTrial, "TRIAL", "Trial parameters");
    section.Words(kTrial, "ACTUAL_START_FIELD",
                  {static_cast<std::uint32_t>(first_word & 0xFFFFU),
                   static_cast<std::uint32_t>(first_word >> 16)},
                  "First frame (low word, high word)");
    section.Words(kTrial, "ACTUAL_END_FIELD",
                  {static_cast<std::uint32_t>(last_word & 0xFFFFU),
                   static_cast<std::uint32_t>(last_word >> 16)},
                  "Last frame (low word, high word)");
  }
  const std::size_t data_start_in_section = data_start_at;
  std::vector<unsigned char> parameters = section.Finish();
  const std::size_t data_start = 2 + parameters.size() / kBlock;
  if (data_start > kWordMax) {
    return FileOutcome::NotWritable(std::string(messages::kC3DTooManyPoints));
  }
  PutC3DWord(parameters.data() + data_start_in_section, static_cast<std::uint32_t>(data_start));

  unsigned char header[kBlock] = {};
  header[0] = 2;
  header[1] = 0x50;
  const auto word = [&](int n, std::uint64_t value) {
    PutC3DWord(header + 2 * (n - 1), static_cast<std::uint32_t>(value));
  };
  word(2, points);
  word(3, 0);  // no analog channels, one analog sample per frame (ANALOG:RATE is the rate)
  word(4, std::min<std::uint64_t>(static_cast<std::uint64_t>(first), kWordMax));
  word(5, long_frames ? kWordMax : static_cast<std::uint64_t>(last));
  word(6, 0);
  PutC3DReal(header + 12, scale);
  word(9, data_start);
  word(10, 1);
  PutC3DReal(header + 20, rate);

  OutputFile out;
  if (!out.Open(path)) return CannotOpen(out);
  out.Write({reinterpret_cast<const char*>(header), kBlock});
  out.Write({reinterpret_cast<const char*>(parameters.data()), parameters.size()});
  const std::size_t frame_bytes = points * 16;
  for (std::int64_t k = 0; k < frames; ++k) {
    auto* p = reinterpret_cast<unsigned char*>(out.Reserve(frame_bytes));
    const MarkerSample* sample = set.Frame(k);
    for (std::size_t m = 0; m < points; ++m, ++sample, p += 16) {
      if (sample->present) {
        PutC3DReal(p, static_cast<float>(sample->x));
        PutC3DReal(p + 4, static_cast<float>(sample->y));
        PutC3DReal(p + 8, static_cast<float>(sample->z));
        PutC3DReal(p + 12, 0.0F);
      } else {
        PutC3DReal(p, 0.0F);
        PutC3DReal(p + 4, 0.0F);
        PutC3DReal(p + 8, 0.0F);
        PutC3DReal(p + 12, -1.0F);
      }
    }
    out.Advance(reinterpret_cast<char*>(p));
  }
  return Commit(out);
}

}  // namespace zar::exchange
