// Writing an HTRFile as an HTR file, whole or a section at a time.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "atomic_file/output_file.h"
#include "filelib/file_messages.h"
#include "filelib/htr_file.h"
#include "filelib/htr_stream_writer.h"
#include "filelib/number_text.h"

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

// Whether the parents of some segment of `model` lead round in a loop, so that the written
// hierarchy would loop. Each segment is stepped over once, however deep the hierarchy.
bool HasParentLoop(const HTRFile& model) {
  enum class State { kOnPath, kLoopFree };
  std::unordered_map<const HTRSegment*, State> known;
  known.reserve(static_cast<std::size_t>(model.NumSegments()));
  std::vector<const HTRSegment*> path;
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    path.clear();
    const HTRSegment* at = model.Segment(i);
    for (; at != nullptr; at = at->Parent()) {
      const auto found = known.find(at);
      if (found != known.end()) {
        if (found->second == State::kOnPath) return true;
        break;
      }
      known.emplace(at, State::kOnPath);
      path.push_back(at);
    }
    for (const HTRSegment* segment : path) known[segment] = State::kLoopFree;
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

std::string HTRStreamWriter::Begin(const HTRFile& model, const std::string& file_name,
                                   std::int32_t num_frames) {
  model_ = nullptr;
  const auto count = static_cast<std::size_t>(model.NumSegments());
  if (count == 0) return std::string(messages::kHtrNoSegments);
  {
    std::unordered_map<std::string_view, int> uses;
    uses.reserve(count);
    for (std::int32_t i = 0; i < model.NumSegments(); ++i) ++uses[model.Segment(i)->Name()];
    for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
      const std::string& name = model.Segment(i)->Name();
      if (uses[name] > 1) return std::string(messages::kHtrWriteDuplicateSegment) + name;
    }
  }
  // What the reader could not take back: a name it would split or lose, a looping hierarchy.
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    if (!IsWritableSegmentName(model.Segment(i)->Name()))
      return std::string(messages::kCannotWrite);
  }
  if (HasParentLoop(model)) return std::string(messages::kCannotWrite);

  if (!out_.Open(WithDefaultExtension(file_name, ".htr"))) {
    return std::string(messages::kCannotOpen);
  }
  model_ = &model;
  num_frames_ = num_frames;
  next_segment_ = 0;
  angle_factor_ = model.RotationUnits() == RotationUnit::kDegrees ? kRadiansToDegrees : 1.0;
  HtrWriter w(out_);

  w.Line("# Vantrel HTR (source:ZARFileLib v1.10)");
  w.Line("[Header]");
  w.Line("# KeyWord<space>Value<CR>");
  w.Line("FileType htr");
  w.Line("DataType HTRS");
  w.Line("FileVersion 1");
  w.CountLine("NumSegments", static_cast<std::int64_t>(count));
  w.CountLine("NumFrames", num_frames == 0 ? 1 : num_frames);
  w.CountLine("DataFrameRate", model.DataFrameRate());
  w.Line("EulerRotationOrder ZYX");
  w.Line(std::string("CalibrationUnits ") += LengthUnitText(model.CalibrationUnits()));
  w.Line(std::string("RotationUnits ") += RotationUnitText(model.RotationUnits()));
  w.Line("GlobalAxisofGravity Y");
  w.Line(std::string("BoneLengthAxis ") += AxisText(model.BoneLengthAxis()));
  {
    std::string line = "ScaleFactor ";
    AppendFixed(line, model.ScaleFactor(), 2);
    w.Line(line);
  }

  w.Line("[SegmentNames&Hierarchy]");
  w.Line("# ObjectName<tab>ParentObjectName<CR>");
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    const HTRSegment& segment = *model.Segment(i);
    std::string line = segment.Name();
    line += '\t';
    line += segment.Parent() != nullptr ? segment.Parent()->Name() : "GLOBAL";
    w.Line(line);
  }

  w.Line("[BasePosition]");
  w.Line("# ObjectName<tab>Tx<tab>Ty<tab>Tz<tab>Rx<tab>Ry<tab>Rz<tab>BoneLength<CR>");
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    const HTRSegment& segment = *model.Segment(i);
    const HTRSegment::Vector3 base = segment.BaseTranslation();
    const HTRSegment::EulerRotation& rotation = segment.BaseRotation();
    char* p = w.Begin(segment.Name());
    p = HtrWriter::Value(p, base.X());
    p = HtrWriter::Value(p, base.Y());
    p = HtrWriter::Value(p, base.Z());
    p = HtrWriter::Value(p, rotation.X() * angle_factor_);
    p = HtrWriter::Value(p, rotation.Y() * angle_factor_);
    p = HtrWriter::Value(p, rotation.Z() * angle_factor_);
    p = HtrWriter::Value(p, segment.BoneLength());
    w.End(p);
  }
  return std::string();
}

void HTRStreamWriter::Frames(std::span<const HTRFrame> frames) {
  if (model_ == nullptr || next_segment_ >= model_->NumSegments()) return;
  const HTRSegment& segment = *model_->Segment(next_segment_++);
  HtrWriter w(out_);
  w.Line("[" + segment.Name() + "]");
  w.Line("# Tx<tab>Ty<tab>Tz<tab>Rx<tab>Ry<tab>Rz<tab>BoneScaleFactor<CR>");
  if (num_frames_ == 0) {
    w.Line("1\t0.000000\t0.000000\t0.000000\t0.000000\t0.000000\t0.000000\t1.000000");
    return;
  }
  const double reference = segment.ReferenceLength();
  const bool normalise = model_->NormaliseScaleFactors();
  const std::int64_t start = model_->StartFrame();
  const HTRFrame missing;  // frames the caller does not hold: no motion, scale factor 1
  for (std::int32_t k = 0; k < num_frames_; ++k) {
    const auto index = static_cast<std::size_t>(k);
    const HTRFrame& f = index < frames.size() ? frames[index] : missing;
    double scale = f.scale;
    if (normalise) {
      // A zero (or otherwise unusable) reference length leaves the factor as it is, rather
      // than writing "inf" or "nan".
      const double normalised = scale / reference;
      if (std::isfinite(normalised)) scale = normalised;
    }
    char* p = w.BeginFrame(start + k);
    p = HtrWriter::Value(p, f.tx);
    p = HtrWriter::Value(p, f.ty);
    p = HtrWriter::Value(p, f.tz);
    p = HtrWriter::Value(p, f.rx * angle_factor_);
    p = HtrWriter::Value(p, f.ry * angle_factor_);
    p = HtrWriter::Value(p, f.rz * angle_factor_);
    p = HtrWriter::Value(p, scale);
    w.End(p);
  }
}

std::string HTRStreamWriter::Finish() {
  if (model_ == nullptr) return std::string(messages::kCannotWrite);
  // Segments whose frames were not given still get their section, so the file reads back.
  while (next_segment_ < model_->NumSegments()) Frames({});
  HtrWriter(out_).Line("[EndOfFile]");
  model_ = nullptr;
  if (!out_.Commit()) return std::string(messages::kCannotWrite);
  return std::string();
}

std::string HTRFile::Write(const std::string& file_name) const {
  int system_error = 0;
  return Write(file_name, system_error);
}

std::string HTRFile::Write(const std::string& file_name, int& system_error) const {
  system_error = 0;
  // Frames that no segment holds are not written: a header that declares far more frames than
  // the model holds would otherwise fill the disk with rest frames.
  std::int32_t num_frames = num_frames_;
  if (num_frames > 0) {
    std::size_t held = 0;
    for (const HTRSegment& segment : segments_) held = std::max(held, segment.frames_.size());
    if (held < static_cast<std::size_t>(num_frames)) num_frames = static_cast<std::int32_t>(held);
  }
  HTRStreamWriter writer;
  std::string problem = writer.Begin(*this, file_name, num_frames);
  if (problem.empty()) {
    for (const HTRSegment& segment : segments_) writer.Frames(segment.frames_);
    problem = writer.Finish();
  }
  if (!problem.empty()) system_error = writer.SystemError();
  return problem;
}

}  // namespace zar
