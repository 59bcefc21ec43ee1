// Writing an HTRFile as an HTR file.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "filelib/file_messages.h"
#include "filelib/htr_file.h"
#include "filelib/number_text.h"
#include "filelib/output_file.h"

namespace zar {

namespace {

constexpr double kRadiansToDegrees = 57.29577951308232;

// Room for the longest possible frame or base-position line: a name or frame number and seven
// numbers, each with its tab, and the line end.
constexpr std::size_t kValuesRoom = 8 * (kMaxFixedChars + 1) + 2;

// Writes the lines of one file into an OutputFile.
class HtrWriter {
 public:
  explicit HtrWriter(OutputFile& out) : out_(out) {}

  void Line(std::string_view text) {
    out_.Write(text);
    out_.Write("\r\n");
  }

  // A keyword, one space and an unsigned 32-bit count.
  void CountLine(std::string_view keyword, std::int64_t value) {
    char* p = out_.Reserve(keyword.size() + 24);
    p = Copy(p, keyword);
    *p++ = ' ';
    p = FormatUnsigned(p, static_cast<std::uint32_t>(value));
    p = Copy(p, "\r\n");
    out_.Advance(p);
  }

  // Starts a line of values with `lead` (a name or a frame number) already in place.
  char* Begin(std::string_view lead) {
    char* p = out_.Reserve(lead.size() + kValuesRoom);
    return Copy(p, lead);
  }
  char* BeginFrame(std::int64_t frame_number) {
    char* p = out_.Reserve(kValuesRoom);
    return FormatUnsigned(p, static_cast<std::uint32_t>(frame_number));
  }
  static char* Value(char* p, double value) {
    *p++ = '\t';
    return FormatFixed(p, value, 6);
  }
  void End(char* p) {
    *p++ = '\r';
    *p++ = '\n';
    out_.Advance(p);
  }

  static char* Copy(char* p, std::string_view text) {
    text.copy(p, text.size());
    return p + text.size();
  }

 private:
  OutputFile& out_;
};

// Whether a segment's parents lead back to it, so that the written hierarchy would loop.
bool IsItsOwnAncestor(const HTRSegment& segment, std::size_t segment_count) {
  const HTRSegment* at = segment.Parent();
  for (std::size_t steps = 0; at != nullptr; ++steps, at = at->Parent()) {
    if (at == &segment || steps > segment_count) return true;
  }
  return false;
}

}  // namespace

bool IsWritableSegmentName(std::string_view name) {
  if (name.empty() || name.find_first_of(" \t#]") != std::string_view::npos) return false;
  // A name that starts a line with '[' or that names a section of its own would be read back
  // as a section header rather than as a segment.
  if (name.front() == '[') return false;
  for (std::string_view section : {"Header", "SegmentNames&Hierarchy", "BasePosition", "EndOfFile",
                                   "EndofFile", "ENDOFFILE", "endoffile"}) {
    if (name == section) return false;
  }
  return true;
}

std::string HTRFile::Write(const std::string& file_name) const {
  if (segments_.empty()) return std::string(messages::kHtrNoSegments);
  {
    std::unordered_map<std::string_view, int> uses;
    uses.reserve(segments_.size());
    for (const HTRSegment& segment : segments_) ++uses[segment.Name()];
    for (const HTRSegment& segment : segments_) {
      if (uses[segment.Name()] > 1) {
        return std::string(messages::kHtrWriteDuplicateSegment) + segment.Name();
      }
    }
  }
  // What the reader could not take back: a name it would split or lose, a looping hierarchy.
  for (const HTRSegment& segment : segments_) {
    if (!IsWritableSegmentName(segment.Name()) || IsItsOwnAncestor(segment, segments_.size())) {
      return std::string(messages::kCannotWrite);
    }
  }
  // Frames that no segment holds are not written: a header that declares far more frames than
  // the model holds would otherwise fill the disk with rest frames.
  std::int32_t num_frames = num_frames_;
  if (num_frames > 0) {
    std::size_t held = 0;
    for (const HTRSegment& segment : segments_) held = std::max(held, segment.frames_.size());
    if (held < static_cast<std::size_t>(num_frames)) num_frames = static_cast<std::int32_t>(held);
  }

  OutputFile out;
  if (!out.Open(WithDefaultExtension(file_name, ".htr"))) {
    return std::string(messages::kCannotOpen);
  }
  HtrWriter w(out);
  const double angle_factor = rotation_units_ == RotationUnit::kDegrees ? kRadiansToDegrees : 1.0;

  w.Line("# Vantrel HTR (source:ZARFileLib v1.10)");
  w.Line("[Header]");
  w.Line("# KeyWord<space>Value<CR>");
  w.Line("FileType htr");
  w.Line("DataType HTRS");
  w.Line("FileVersion 1");
  w.CountLine("NumSegments", static_cast<std::int64_t>(segments_.size()));
  w.CountLine("NumFrames", num_frames == 0 ? 1 : num_frames);
  w.CountLine("DataFrameRate", data_frame_rate_);
  w.Line("EulerRotationOrder ZYX");
  w.Line(std::string("CalibrationUnits ") += LengthUnitText(calibration_units_));
  w.Line(std::string("RotationUnits ") += RotationUnitText(rotation_units_));
  w.Line("GlobalAxisofGravity Y");
  w.Line(std::string("BoneLengthAxis ") += AxisText(bone_length_axis_));
  {
    std::string line = "ScaleFactor ";
    AppendFixed(line, scale_factor_, 2);
    w.Line(line);
  }

  w.Line("[SegmentNames&Hierarchy]");
  w.Line("# ObjectName<tab>ParentObjectName<CR>");
  for (const HTRSegment& segment : segments_) {
    std::string line = segment.Name();
    line += '\t';
    line += segment.Parent() != nullptr ? segment.Parent()->Name() : "GLOBAL";
    w.Line(line);
  }

  w.Line("[BasePosition]");
  w.Line("# ObjectName<tab>Tx<tab>Ty<tab>Tz<tab>Rx<tab>Ry<tab>Rz<tab>BoneLength<CR>");
  for (const HTRSegment& segment : segments_) {
    const HTRSegment::EulerRotation& rotation = segment.BaseRotation();
    char* p = w.Begin(segment.Name());
    p = HtrWriter::Value(p, segment.base_tx_);
    p = HtrWriter::Value(p, segment.base_ty_);
    p = HtrWriter::Value(p, segment.base_tz_);
    p = HtrWriter::Value(p, rotation.X() * angle_factor);
    p = HtrWriter::Value(p, rotation.Y() * angle_factor);
    p = HtrWriter::Value(p, rotation.Z() * angle_factor);
    p = HtrWriter::Value(p, segment.bone_length_);
    w.End(p);
  }

  for (const HTRSegment& segment : segments_) {
    w.Line("[" + segment.Name() + "]");
    w.Line("# Tx<tab>Ty<tab>Tz<tab>Rx<tab>Ry<tab>Rz<tab>BoneScaleFactor<CR>");
    if (num_frames == 0) {
      w.Line("1\t0.000000\t0.000000\t0.000000\t0.000000\t0.000000\t0.000000\t1.000000");
      continue;
    }
    const std::vector<HTRFrame>& frames = segment.frames_;
    const double reference = segment.reference_length_;
    const HTRFrame missing;  // frames the segment does not hold: no motion, scale factor 1
    for (std::int32_t k = 0; k < num_frames; ++k) {
      const auto index = static_cast<std::size_t>(k);
      const HTRFrame& f = index < frames.size() ? frames[index] : missing;
      double scale = f.scale;
      if (normalise_scale_factors_) {
        // A zero (or otherwise unusable) reference length leaves the factor as it is, rather
        // than writing "inf" or "nan".
        const double normalised = scale / reference;
        if (std::isfinite(normalised)) scale = normalised;
      }
      char* p = w.BeginFrame(static_cast<std::int64_t>(start_frame_) + k);
      p = HtrWriter::Value(p, f.tx);
      p = HtrWriter::Value(p, f.ty);
      p = HtrWriter::Value(p, f.tz);
      p = HtrWriter::Value(p, f.rx * angle_factor);
      p = HtrWriter::Value(p, f.ry * angle_factor);
      p = HtrWriter::Value(p, f.rz * angle_factor);
      p = HtrWriter::Value(p, scale);
      w.End(p);
    }
  }
  w.Line("[EndOfFile]");

  if (!out.Commit()) return std::string(messages::kCannotWrite);
  return std::string();
}

}  // namespace zar
