// Reading HTR files into an HTRFile.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "filelib/file_messages.h"
#include "filelib/htr_file.h"
#include "filelib/line_batches.h"
#include "filelib/line_reader.h"
#include "filelib/read_file.h"
#include "filelib/text_fields.h"

namespace zar {

namespace {

constexpr double kDegreesToRadians = 0.017453292519943295;

// The shortest frame line that carries every value ("1 0 0 0 0 0 0 1" and a line end).
constexpr std::int64_t kShortestFrameLine = 16;

enum class Section { kNone, kHeader, kHierarchy, kBasePosition, kFrames };

bool IsEndOfFileName(std::string_view name) {
  return name == "EndOfFile" || name == "EndofFile" || name == "ENDOFFILE" || name == "endoffile";
}

std::string Message(std::string_view text) { return std::string(text); }

std::string Message(std::string_view text, std::string_view name) {
  std::string message(text);
  message += name;
  return message;
}

// Whether the whole number `text` starts with (as atoi reads it) fits in 32 bits, so that it is
// read as written rather than wrapped round to another value.
bool FitsInt32(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (IsBlank(text[at]) || text[at] == '\r')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;  // past it, stop counting
  std::int64_t magnitude = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && magnitude <= kLimit; ++at) {
    magnitude = magnitude * 10 + (text[at] - '0');
  }
  return magnitude < kLimit || (negative && magnitude == kLimit);
}

// The values after a frame line's frame number, angles turned to radians by `angle_factor`.
void ReadFrameValues(Tokens& tokens, double angle_factor, HTRFrame& frame) {
  frame.tx = tokens.NextReal();
  frame.ty = tokens.NextReal();
  frame.tz = tokens.NextReal();
  frame.rx = tokens.NextReal() * angle_factor;
  frame.ry = tokens.NextReal() * angle_factor;
  frame.rz = tokens.NextReal() * angle_factor;
  frame.scale = tokens.NextReal();
}

// Frame lines on their way to a sink, read as the sink's LineParsing reads them (each at once on
// this thread without one).
class SinkFrames {
 public:
  struct Tag {
    std::int32_t segment;
    std::int64_t k;
    double angle_factor;
  };
  using Value = HTRFrame;

  explicit SinkFrames(HTRFrameSink& sink) : sink_(sink), batches_(*this, 1, 8192, sink.Parsing()) {}

  // The values of frame k of the segment at `segment` (the text after the frame number).
  void Add(std::int32_t segment, std::int64_t k, std::string_view values, double angle_factor) {
    batches_.Add(values, {segment, k, angle_factor});
  }

  // Gives the sink every frame added.
  void Drain() { batches_.Drain(); }

  void Parse(std::string_view values, const Tag& tag, HTRFrame* frame) const {
    Tokens tokens(values);
    ReadFrameValues(tokens, tag.angle_factor, *frame);
  }
  bool Give(const Tag& tag, const HTRFrame* frame) {
    sink_.Frame(tag.segment, tag.k, *frame);
    return true;
  }

 private:
  HTRFrameSink& sink_;
  LineBatches<SinkFrames> batches_;
};

}  // namespace

// One pass over the lines of an HTR file, driven by its section headers.
class HtrReader {
 public:
  // Frames go to `sink` when there is one, else to the segments.
  HtrReader(HTRFile& model, bool read_frames, HTRFrameSink* sink)
      : model_(model), read_frames_(read_frames), sink_(sink) {}

  // What a reading of `model` says when its file cannot be opened for the system's `error`.
  static std::string CannotOpen(HTRFile& model, int error) {
    model.message_line_ = 0;
    model.system_error_ = error;
    return Message(messages::kCannotOpen);
  }

  // Reads the file; with a sink, every frame line read has reached it on return.
  std::string Run(std::FILE* file) {
    std::optional<SinkFrames> frames;
    if (sink_ != nullptr) sink_frames_ = &frames.emplace(*sink_);
    std::string message = ReadLines(file);
    if (sink_frames_ != nullptr) sink_frames_->Drain();
    return message;
  }

 private:
  // What a line did: go on, or stop reading (successfully or with the message in message_).
  enum class Step { kContinue, kStop };

  Step SectionHeader(std::string_view line);
  Step HeaderLine(std::string_view line);
  Step HierarchyLine(std::string_view line);
  Step BasePositionLine(std::string_view line);
  Step FrameLine(std::string_view line);
  Step LinkHierarchy();
  std::string ReadLines(std::FILE* file);
  Step Fail(std::string message) {
    message_ = std::move(message);
    return Step::kStop;
  }
  // The checks at the end of the file or at an end-of-file section.
  Step Finish() {
    if (remaining_segments_ != 0) message_ = Message(messages::kHtrSegmentCount);
    return Step::kStop;
  }

  // The index in file order of the segment named `name`, or -1.
  std::int32_t IndexOf(std::string_view name) const {
    const auto found = by_name_.find(name);
    return found == by_name_.end() ? -1 : found->second;
  }
  HTRSegment* Find(std::string_view name) const {
    const std::int32_t index = IndexOf(name);
    return index < 0 ? nullptr : &model_.segments_[static_cast<std::size_t>(index)];
  }
  // Hands the segments and the room to make to the sink, at the first frame section.
  void BeginSink();

  HTRFile& model_;
  const bool read_frames_;
  HTRFrameSink* const sink_;
  LineReader* lines_ = nullptr;
  std::string message_;

  Section section_ = Section::kNone;
  std::int64_t remaining_segments_ = 0;  // wide enough never to overflow when counting down
  double angle_factor_ = 1.0;
  bool first_frame_pending_ = true;
  HTRSegment* frame_segment_ = nullptr;
  std::int32_t frame_segment_index_ = -1;
  // With a sink: the frames on their way to it, and the frames given so far of each segment, by
  // index (empty before the first frame section).
  SinkFrames* sink_frames_ = nullptr;
  std::vector<std::int64_t> sink_counts_;
  std::string frame_section_name_;
  std::vector<std::string> parent_names_;
  // Segment indices by name, so that large files are not searched line by line.
  std::unordered_map<std::string_view, std::int32_t> by_name_;
  // Frames that may still be reserved ahead, in proportion to the size of the file.
  std::int64_t reserve_budget_ = 0;
};

std::string HtrReader::ReadLines(std::FILE* file) {
  LineReader lines(file);
  lines_ = &lines;
  const std::int64_t size = lines.RemainingBytes();
  reserve_budget_ = size < 0 ? 0 : size / kShortestFrameLine + 1;

  std::string_view line;
  while (lines.Next(line)) {
    if (line.empty() || line.front() == '#') continue;
    // Comments run from the first '#'; blanks before it (or before the line end) go too.
    if (const void* hash = std::memchr(line.data(), '#', line.size())) {
      line = line.substr(0, static_cast<std::size_t>(static_cast<const char*>(hash) - line.data()));
    }
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    // Lines left empty carry nothing in any section.
    if (line.empty()) continue;

    Step step = Step::kContinue;
    if (line.front() == '[') {
      step = SectionHeader(line);
    } else {
      switch (section_) {
        case Section::kNone:
          break;
        case Section::kHeader:
          step = HeaderLine(line);
          break;
        case Section::kHierarchy:
          step = HierarchyLine(line);
          break;
        case Section::kBasePosition:
          step = BasePositionLine(line);
          break;
        case Section::kFrames:
          step = FrameLine(line);
          break;
      }
    }
    if (step == Step::kStop) {
      if (!message_.empty()) model_.message_line_ = lines.LineNumber();
      return message_;
    }
  }
  if (lines.TooLong()) {
    model_.message_line_ = lines.LineNumber();
    return Message(messages::kLineTooLong);
  }
  if (lines.Failed()) {
    model_.system_error_ = lines.Error();
    return Message(messages::kCannotRead);
  }
  model_.no_lines_ = lines.LineNumber() == 0;
  Finish();
  if (!message_.empty()) model_.message_line_ = lines.LineNumber();
  return message_;
}

HtrReader::Step HtrReader::SectionHeader(std::string_view line) {
  std::string_view name = line.substr(1);
  name = name.substr(0, name.find(']'));
  if (name == "Header") {
    section_ = Section::kHeader;
  } else if (name == "SegmentNames&Hierarchy") {
    section_ = Section::kHierarchy;
  } else if (name == "BasePosition") {
    if (LinkHierarchy() == Step::kStop) return Step::kStop;
    if (model_.rotation_units_ == RotationUnit::kDegrees) angle_factor_ = kDegreesToRadians;
    section_ = Section::kBasePosition;
  } else {
    // Only the header, hierarchy and base position were asked for: they are complete.
    if (!read_frames_) return Step::kStop;
    if (sink_ != nullptr && sink_counts_.empty()) BeginSink();
    frame_segment_index_ = IndexOf(name);
    frame_segment_ = Find(name);
    frame_section_name_.assign(name);
    section_ = Section::kFrames;
  }
  if (IsEndOfFileName(name)) return Finish();
  return Step::kContinue;
}

HtrReader::Step HtrReader::HeaderLine(std::string_view line) {
  Tokens tokens(line);
  const std::string_view keyword = tokens.Next();
  const std::string_view value = tokens.Last();
  if (keyword == "FileType") {
    if (value != "HTR" && value != "Htr" && value != "htr") {
      return Fail(Message(messages::kHtrFileType));
    }
  } else if (keyword == "DataType") {
    if (value != "HTRS" && value != "Htrs" && value != "htrs") {
      return Fail(Message(messages::kHtrDataType));
    }
  } else if (keyword == "FileVersion") {
    if (value != "1") return Fail(Message(messages::kHtrFileVersion));
  } else if (keyword == "NumSegments") {
    remaining_segments_ = ParseInt(value);
  } else if (keyword == "NumFrames") {
    if (!FitsInt32(value)) return Fail(Message(messages::kHtrNumFramesRange));
    model_.num_frames_ = ParseInt(value);
  } else if (keyword == "DataFrameRate") {
    model_.data_frame_rate_ = ParseInt(value);
  } else if (keyword == "EulerRotationOrder") {
    if (value != "ZYX") return Fail(Message(messages::kHtrEulerRotationOrder));
  } else if (keyword == "CalibrationUnits") {
    model_.calibration_units_ = LengthUnitFromText(value);
  } else if (keyword == "RotationUnits") {
    model_.rotation_units_ = RotationUnitFromText(value);
  } else if (keyword == "GlobalAxisofGravity") {
    model_.global_axis_of_gravity_ = AxisFromText(value);
    if (model_.global_axis_of_gravity_ == Axis::kX) {
      return Fail(Message(messages::kHtrGlobalAxisofGravity));
    }
  } else if (keyword == "BoneLengthAxis") {
    if (value != "Y") return Fail(Message(messages::kHtrBoneLengthAxis));
  } else if (keyword == "ScaleFactor") {
    model_.scale_factor_ = ParseReal(value);
  }
  return Step::kContinue;
}

HtrReader::Step HtrReader::HierarchyLine(std::string_view line) {
  Tokens tokens(line);
  const std::string_view name = tokens.Next();
  if (Find(name) != nullptr) return Fail(Message(messages::kHtrDuplicateSegment, name));
  const auto index = static_cast<std::int32_t>(model_.segments_.size());
  HTRSegment& segment = model_.segments_.emplace_back(std::string(name));
  by_name_.emplace(segment.Name(), index);
  parent_names_.emplace_back(tokens.Last());
  return Step::kContinue;
}

HtrReader::Step HtrReader::BasePositionLine(std::string_view line) {
  Tokens tokens(line);
  const std::string_view name = tokens.Next();
  HTRSegment* segment = Find(name);
  if (segment == nullptr) return Fail(Message(messages::kHtrSegmentNotFound, name));
  const double tx = tokens.NextReal();
  const double ty = tokens.NextReal();
  const double tz = tokens.NextReal();
  const double rx = tokens.NextReal() * angle_factor_;
  const double ry = tokens.NextReal() * angle_factor_;
  const double rz = tokens.NextReal() * angle_factor_;
  segment->SetBaseTranslation(tx, ty, tz);
  segment->SetBaseRotation(rx, ry, rz);
  segment->SetBoneLength(tokens.NextReal());
  --remaining_segments_;
  return Step::kContinue;
}

HtrReader::Step HtrReader::FrameLine(std::string_view line) {
  if (frame_segment_ == nullptr) {
    return Fail(Message(messages::kHtrSegmentNotFound, frame_section_name_));
  }
  Tokens tokens(line);
  const std::string_view number = tokens.Next();
  if (first_frame_pending_) {
    model_.start_frame_ = ParseInt(number);
    first_frame_pending_ = false;
  }
  if (sink_frames_ != nullptr) {
    // A segment named in the hierarchy after the first frame section has no count yet.
    const auto index = static_cast<std::size_t>(frame_segment_index_);
    if (index >= sink_counts_.size()) sink_counts_.resize(index + 1, 0);
    const auto values = static_cast<std::size_t>(number.data() + number.size() - line.data());
    sink_frames_->Add(frame_segment_index_, sink_counts_[index]++, line.substr(values),
                      angle_factor_);
    return Step::kContinue;
  }
  std::vector<HTRFrame>& frames = frame_segment_->frames_;
  if (frames.capacity() == 0 && model_.num_frames_ > 0 && reserve_budget_ > 0) {
    // The declared count is only a hint: never reserve more than the rest of the file can fill.
    const std::int64_t remaining = lines_->RemainingBytes();
    const std::int64_t room = std::min<std::int64_t>(
        {model_.num_frames_, reserve_budget_, remaining / kShortestFrameLine + 1});
    frame_segment_->ReserveFrames(room);
    reserve_budget_ -= room;
  }
  ReadFrameValues(tokens, angle_factor_, frames.emplace_back());
  return Step::kContinue;
}

void HtrReader::BeginSink() {
  const std::size_t segments = model_.segments_.size();
  sink_counts_.assign(std::max<std::size_t>(segments, 1), 0);
  std::int64_t room = std::max<std::int32_t>(model_.num_frames_, 0);
  // Every segment's frames are still to come, each line at least as long as the shortest.
  if (const std::int64_t remaining = lines_->RemainingBytes(); remaining >= 0) {
    const auto lines = static_cast<std::int64_t>(std::max<std::size_t>(segments, 1));
    room = std::min(room, remaining / (kShortestFrameLine * lines) + 1);
  }
  sink_->Begin(model_, room);
}

HtrReader::Step HtrReader::LinkHierarchy() {
  std::deque<HTRSegment>& segments = model_.segments_;
  const std::size_t count = std::min(segments.size(), parent_names_.size());
  for (std::size_t i = 0; i < count; ++i) {
    HTRSegment& segment = segments[i];
    const std::string& parent_name = parent_names_[i];
    if (parent_name == "GLOBAL") {
      segment.root_ = true;
      continue;
    }
    HTRSegment* parent = Find(parent_name);
    segment.parent_ = parent;
    if (parent != nullptr) parent->children_.push_back(&segment);
  }

  // A segment must not be its own ancestor: follow the parents from every segment once.
  std::unordered_map<const HTRSegment*, std::size_t> index;
  index.reserve(segments.size());
  for (std::size_t i = 0; i < segments.size(); ++i) index.emplace(&segments[i], i);
  enum : unsigned char { kUnvisited, kOnPath, kDone };
  std::vector<unsigned char> state(segments.size(), kUnvisited);
  std::vector<std::size_t> path;
  for (std::size_t start = 0; start < segments.size(); ++start) {
    path.clear();
    std::size_t at = start;
    bool has_parent = true;
    while (state[at] == kUnvisited) {
      state[at] = kOnPath;
      path.push_back(at);
      const HTRSegment* parent = segments[at].parent_;
      if (parent == nullptr) {
        has_parent = false;
        break;
      }
      at = index.at(parent);
    }
    if (has_parent && state[at] == kOnPath) {
      // A loop: name its segment that comes first in the file, and take that segment out of
      // the loop so that nothing walking the model can go round it.
      std::size_t first = at;
      for (std::size_t i = index.at(segments[at].parent_); i != at;
           i = index.at(segments[i].parent_)) {
        first = std::min(first, i);
      }
      HTRSegment& named = segments[first];
      std::vector<HTRSegment*>& siblings = named.parent_->children_;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), &named), siblings.end());
      named.parent_ = nullptr;
      return Fail(Message(messages::kHtrHierarchyCycle, named.Name()));
    }
    for (const std::size_t i : path) state[i] = kDone;
  }
  return Step::kContinue;
}

namespace {

std::string ReadWith(HTRFile& model, std::FILE* file, bool read_frames, HTRFrameSink* sink) {
  model.Clear();
  HtrReader reader(model, read_frames, sink);
  return reader.Run(file);
}

std::string ReadPath(HTRFile& model, const std::string& file_name, bool read_frames,
                     HTRFrameSink* sink) {
  int error = 0;
  const ReadFile file = OpenForReading(WithDefaultExtension(file_name, ".htr"), error);
  if (!file) return HtrReader::CannotOpen(model, error);
  return ReadWith(model, file.get(), read_frames, sink);
}

}  // namespace

std::string HTRFile::Read(std::FILE* file, bool read_frames) {
  return ReadWith(*this, file, read_frames, nullptr);
}

std::string HTRFile::Read(const std::string& file_name, bool read_frames) {
  return ReadPath(*this, file_name, read_frames, nullptr);
}

std::string HTRFile::Read(const std::string& file_name, HTRFrameSink& sink) {
  return ReadPath(*this, file_name, true, &sink);
}

std::string HTRFile::Read(std::FILE* file, HTRFrameSink& sink) {
  return ReadWith(*this, file, true, &sink);
}

}  // namespace zar
