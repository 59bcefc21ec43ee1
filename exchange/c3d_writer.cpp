// Writing a marker set as a C3D file. Conventions of what this writer produces: Intel processor
// format (little-endian words, IEEE reals); real storage, shown by a negative POINT:SCALE whose
// magnitude is 0.1 mm in the file's units (what an integer file of the same precision would
// use); the parameter section starts at block 2; no analog data; residual 0 for a sample that
// is present and -1 (with coordinates 0) for one that is missing.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/c3d_file.h"
#include "exchange/exchange_messages.h"
#include "filelib/file_messages.h"
#include "filelib/output_file.h"

namespace zar::exchange {

namespace {

constexpr std::size_t kBlock = 512;
constexpr std::uint64_t kWordMax = 65535;

void PutWord(unsigned char* p, std::uint32_t value) {
  p[0] = static_cast<unsigned char>(value & 0xFFU);
  p[1] = static_cast<unsigned char>((value >> 8) & 0xFFU);
}

void PutReal(unsigned char* p, float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  PutWord(p, bits & 0xFFFFU);
  PutWord(p + 2, bits >> 16);
}

// Builds the parameter section: groups and parameters, each record linked to the next.
class SectionBuilder {
 public:
  SectionBuilder() : bytes_{1, 0x50, 0, static_cast<unsigned char>(C3DProcessor::kIntel)} {}

  void Group(int id, std::string_view name, std::string_view description) {
    Record(-id, name);
    Text(description);
  }

  // A parameter of 16-bit words; returns where its values are, for patching.
  std::size_t Words(int group, std::string_view name, const std::vector<std::uint32_t>& values,
                    std::string_view description) {
    Record(group, name);
    bytes_.push_back(static_cast<unsigned char>(C3DType::kInteger));
    Dimensions(values.size());
    const std::size_t at = bytes_.size();
    for (const std::uint32_t value : values) {
      bytes_.resize(bytes_.size() + 2);
      PutWord(bytes_.data() + bytes_.size() - 2, value);
    }
    Text(description);
    return at;
  }

  void Real(int group, std::string_view name, float value, std::string_view description) {
    Record(group, name);
    bytes_.push_back(static_cast<unsigned char>(C3DType::kFloat));
    bytes_.push_back(0);
    bytes_.resize(bytes_.size() + 4);
    PutReal(bytes_.data() + bytes_.size() - 4, value);
    Text(description);
  }

  // Strings of one common length (at most 255) as a two-dimensional text parameter.
  void Strings(int group, std::string_view name, const std::vector<std::string>& strings,
               std::size_t length, std::string_view description) {
    Record(group, name);
    bytes_.push_back(static_cast<unsigned char>(static_cast<std::int8_t>(C3DType::kChar)));
    bytes_.push_back(2);
    bytes_.push_back(static_cast<unsigned char>(length));
    bytes_.push_back(static_cast<unsigned char>(strings.size()));
    for (const std::string& text : strings) {
      std::string padded = text.substr(0, length);
      padded.resize(length, ' ');
      bytes_.insert(bytes_.end(), padded.begin(), padded.end());
    }
    Text(description);
  }

  void Text1(int group, std::string_view name, std::string_view text,
             std::string_view description) {
    Record(group, name);
    bytes_.push_back(static_cast<unsigned char>(static_cast<std::int8_t>(C3DType::kChar)));
    bytes_.push_back(1);
    bytes_.push_back(static_cast<unsigned char>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    Text(description);
  }

  // Ends the section: the last record links to nothing; padded to whole blocks.
  std::vector<unsigned char> Finish() {
    if (link_ != 0) PutWord(bytes_.data() + link_, 0);
    const std::size_t blocks = (bytes_.size() + kBlock - 1) / kBlock;
    bytes_.resize(blocks * kBlock, 0);
    bytes_[2] = static_cast<unsigned char>(std::min<std::size_t>(blocks, 255));
    return std::move(bytes_);
  }

  unsigned char* At(std::size_t offset) { return bytes_.data() + offset; }

 private:
  void Record(int id, std::string_view name) {
    Link();
    bytes_.push_back(static_cast<unsigned char>(name.size()));
    bytes_.push_back(static_cast<unsigned char>(static_cast<std::int8_t>(id)));
    bytes_.insert(bytes_.end(), name.begin(), name.end());
    link_ = bytes_.size();
    bytes_.resize(bytes_.size() + 2);
  }
  // The previous record links to the one that starts now.
  void Link() {
    if (link_ != 0)
      PutWord(bytes_.data() + link_, static_cast<std::uint32_t>(bytes_.size() - link_));
  }
  void Dimensions(std::size_t count) {
    if (count == 1) {
      bytes_.push_back(0);
    } else {
      bytes_.push_back(1);
      bytes_.push_back(static_cast<unsigned char>(count));
    }
  }
  void Text(std::string_view text) {
    text = text.substr(0, 255);
    bytes_.push_back(static_cast<unsigned char>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
  }

  std::vector<unsigned char> bytes_;
  std::size_t link_ = 0;
};

// LABELS, LABELS2, ...: as many strings per parameter as keep it within 255 entries and the
// 16-bit record link.
void ContinuedStrings(SectionBuilder& section, int group, std::string_view name,
                      const std::vector<std::string>& strings, std::string_view description) {
  std::size_t length = 1;
  for (const std::string& text : strings) length = std::max(length, text.size());
  length = std::min<std::size_t>(length, 255);
  const std::size_t per_part = std::min<std::size_t>(255, 32000 / length);
  std::size_t part = 1;
  for (std::size_t from = 0; from < strings.size() || part == 1; from += per_part, ++part) {
    const std::size_t to = std::min(strings.size(), from + per_part);
    std::string part_name(name);
    if (part > 1) part_name += std::to_string(part);
    section.Strings(group, part_name,
                    std::vector<std::string>(strings.begin() + static_cast<std::ptrdiff_t>(from),
                                             strings.begin() + static_cast<std::ptrdiff_t>(to)),
                    length, description);
    if (to == strings.size()) break;
  }
}

}  // namespace

std::int64_t C3DFirstFrame(const MarkerSet& set) {
  return std::max<std::int64_t>(set.first_frame, 1);
}

std::string WriteC3D(const MarkerSet& set, const std::string& path) {
  const std::size_t points = set.NumMarkers();
  if (points > kWordMax) return std::string(messages::kC3DTooManyPoints);
  const std::int64_t frames = set.NumFrames();
  const std::int64_t first = C3DFirstFrame(set);
  const std::int64_t last = first + frames - 1;
  if (first < 0 || last > 4294967295LL) return std::string(messages::kC3DFrameNumbers);
  const bool long_frames = last > static_cast<std::int64_t>(kWordMax);
  const float rate = static_cast<float>(set.rate);
  const float scale =
      static_cast<float>(-0.1 * LengthConversionFactor(LengthUnit::kMillimetres, set.units));

  constexpr int kPoint = 1;
  constexpr int kAnalog = 2;
  constexpr int kTrial = 3;
  SectionBuilder section;
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
  ContinuedStrings(section, kPoint, "LABELS", labels, "Point labels");
  ContinuedStrings(section, kPoint, "DESCRIPTIONS", descriptions, "Point descriptions");
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
  if (data_start > kWordMax) return std::string(messages::kC3DTooManyPoints);
  PutWord(parameters.data() + data_start_in_section, static_cast<std::uint32_t>(data_start));

  unsigned char header[kBlock] = {};
  header[0] = 2;
  header[1] = 0x50;
  const auto word = [&](int n, std::uint64_t value) {
    PutWord(header + 2 * (n - 1), static_cast<std::uint32_t>(value));
  };
  word(2, points);
  word(3, 0);  // no analog channels, one analog sample per frame (ANALOG:RATE is the rate)
  word(4, std::min<std::uint64_t>(static_cast<std::uint64_t>(first), kWordMax));
  word(5, long_frames ? kWordMax : static_cast<std::uint64_t>(last));
  word(6, 0);
  PutReal(header + 12, scale);
  word(9, data_start);
  word(10, 1);
  PutReal(header + 20, rate);

  OutputFile out;
  if (!out.Open(path)) return std::string(zar::messages::kCannotOpen);
  out.Write({reinterpret_cast<const char*>(header), kBlock});
  out.Write({reinterpret_cast<const char*>(parameters.data()), parameters.size()});
  const std::size_t frame_bytes = points * 16;
  for (std::int64_t k = 0; k < frames; ++k) {
    auto* p = reinterpret_cast<unsigned char*>(out.Reserve(frame_bytes));
    const MarkerSample* sample = set.Frame(k);
    for (std::size_t m = 0; m < points; ++m, ++sample, p += 16) {
      if (sample->present) {
        PutReal(p, static_cast<float>(sample->x));
        PutReal(p + 4, static_cast<float>(sample->y));
        PutReal(p + 8, static_cast<float>(sample->z));
        PutReal(p + 12, 0.0F);
      } else {
        PutReal(p, 0.0F);
        PutReal(p + 4, 0.0F);
        PutReal(p + 8, 0.0F);
        PutReal(p + 12, -1.0F);
      }
    }
    out.Advance(reinterpret_cast<char*>(p));
  }
  if (!out.Commit()) return std::string(zar::messages::kCannotWrite);
  return std::string();
}

}  // namespace zar::exchange
