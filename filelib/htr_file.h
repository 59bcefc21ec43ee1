#ifndef ZAR_FILELIB_HTR_FILE_H_
#define ZAR_FILELIB_HTR_FILE_H_

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "filelib/file_contents.h"
#include "filelib/htr_segment.h"
#include "filelib/motion_units.h"

namespace zar {

class HTRFile;

class LineParsing;

// Where a reading puts the frame lines instead of the segments' own frame lists, for a reader
// that keeps the motion in a form of its own: the model still holds the header, the hierarchy
// and the base positions, and its segments hold no frames.
class HTRFrameSink {
 public:
  virtual ~HTRFrameSink() = default;
  // Once, at the first frame section, before any frame: the segments as the model holds them
  // then (file order), and the frames per segment to make room for (a hint: NumFrames, never
  // more than the rest of the file can hold for every segment).
  virtual void Begin(const HTRFile& model, std::int64_t frames) = 0;
  // One frame line: frame k (from 0, counted over all the sections of the segment) of the
  // segment at `segment` in file order, angles in radians.
  virtual void Frame(std::int32_t segment, std::int64_t k, const HTRFrame& frame) = 0;
  // How the frame lines' numbers are read for this sink: without a LineParsing (the default),
  // each line on the reading thread as it comes.
  virtual LineParsing* Parsing() { return nullptr; }
};

// One HTR skeletal animation in memory: the header values and the segments, in file order.
// Translations and bone lengths are in CalibrationUnits; angles are always radians, whatever
// RotationUnits says (it only decides how angles are read and written).
class HTRFile {
 public:
  HTRFile() = default;
  // Segments refer to each other; a copy would refer into the original.
  HTRFile(const HTRFile&) = delete;
  HTRFile& operator=(const HTRFile&) = delete;
  HTRFile(HTRFile&&) = default;
  HTRFile& operator=(HTRFile&&) = default;

  // Removes every segment and resets the header values; ScaleFactor and the normalise flag keep
  // their values.
  void Clear();

  // Reads an HTR file ("name" gets ".htr" unless it ends in a three-letter extension); with
  // `read_frames` clear, stops at the first frame section. Returns the message that ends the
  // reading, empty on success. Never throws for a malformed file.
  std::string Read(const std::string& file_name, bool read_frames);
  // The same from a file opened for reading (not closed here), from its current position.
  std::string Read(std::FILE* file, bool read_frames);
  // The same with every frame line given to `sink`, the segments holding none.
  std::string Read(const std::string& file_name, HTRFrameSink& sink);
  std::string Read(std::FILE* file, HTRFrameSink& sink);

  // Writes the model as an HTR file, completely or not at all; returns a message, empty on
  // success. The model is not changed. A model the reader could not take back (a segment name
  // that IsWritableSegmentName refuses, a segment that is its own ancestor) is not written.
  // NumFrames is written as the frames the segments hold when they hold fewer.
  std::string Write(const std::string& file_name) const;
  // The same, with the system's reason (an errno value) in `system_error` when the file could
  // not be opened, written or put in place, else 0.
  std::string Write(const std::string& file_name, int& system_error) const;

  LengthUnit CalibrationUnits() const { return calibration_units_; }
  // Records the unit without converting any value (ConvertUnits converts).
  void SetCalibrationUnits(LengthUnit unit) { calibration_units_ = unit; }
  RotationUnit RotationUnits() const { return rotation_units_; }
  void SetRotationUnits(RotationUnit unit) { rotation_units_ = unit; }
  Axis BoneLengthAxis() const { return bone_length_axis_; }
  void SetBoneLengthAxis(Axis axis) { bone_length_axis_ = axis; }
  // As read; the writer always writes Y.
  Axis GlobalAxisofGravity() const { return global_axis_of_gravity_; }
  std::int32_t DataFrameRate() const { return data_frame_rate_; }
  void SetDataFrameRate(std::int32_t rate) { data_frame_rate_ = rate; }
  // Frames per segment as declared (segments may hold more or fewer).
  std::int32_t NumFrames() const { return num_frames_; }
  void SetNumFrames(std::int32_t count) { num_frames_ = count; }
  // Number of the first frame.
  std::int32_t StartFrame() const { return start_frame_; }
  void SetStartFrame(std::int32_t frame) { start_frame_ = frame; }
  // When set, written bone scale factors are divided by each segment's reference length.
  bool NormaliseScaleFactors() const { return normalise_scale_factors_; }
  void SetNormaliseScaleFactors(bool normalise) { normalise_scale_factors_ = normalise; }
  // Header value, stored and written but never applied to the data.
  double ScaleFactor() const { return scale_factor_; }
  void SetScaleFactor(double factor) { scale_factor_ = factor; }

  std::int32_t NumSegments() const { return static_cast<std::int32_t>(segments_.size()); }
  // The segment at `index` in file order; none when out of range.
  HTRSegment* Segment(std::int32_t index);
  const HTRSegment* Segment(std::int32_t index) const;

  // Appends a copy of `segment` and returns the stored copy; none (nothing added) when a
  // segment of that name is present or the name contains a space. Stored segments never move.
  HTRSegment* AddSegment(const HTRSegment& segment);
  // The segment named exactly `name`, or none.
  HTRSegment* FindSegment(std::string_view name);
  const HTRSegment* FindSegment(std::string_view name) const;
  // The first segment whose root flag is set, or none.
  HTRSegment* FindRootSegment();
  const HTRSegment* FindRootSegment() const;

  // Converts every length to `unit` and records it; angles and scale factors stay.
  void ConvertUnits(LengthUnit unit);
  // Multiplies base translations, bone lengths and the translations of the first NumFrames
  // frames of every segment by `factor`.
  void Scale(double factor);

  // The line of the file (from 1) at which the last Read stopped with a message about the
  // file's contents; 0 when it read without one or could not open or read the file.
  std::int64_t MessageLine() const { return message_line_; }

  // The system's reason (an errno value) why the last Read could not open or read the file
  // (EISDIR for a folder); 0 when it opened and read it.
  int SystemError() const { return system_error_; }

  // What the model holds, for NothingToConvert: its segments, and as frames the most any
  // segment holds (segments holding fewer than others are for the caller to name).
  FileContents Contents() const;

 private:
  friend class HtrReader;

  // Brings the index of names up to the segments held and their names.
  void IndexNames();

  std::deque<HTRSegment> segments_;
  // The first segment of each name (its place in segments_), for the segments before indexed_;
  // current while HTRSegment::NameChanges() is names_stamp_. Places, not pointers, so that a
  // copy of the file keeps a true index.
  std::unordered_map<std::string, std::size_t> by_name_;
  std::size_t indexed_ = 0;
  std::uint64_t names_stamp_ = 0;
  LengthUnit calibration_units_ = LengthUnit::kMillimetres;
  RotationUnit rotation_units_ = RotationUnit::kDegrees;
  Axis bone_length_axis_ = Axis::kY;
  Axis global_axis_of_gravity_ = Axis::kY;
  std::int32_t data_frame_rate_ = 60;
  std::int32_t num_frames_ = 0;
  std::int32_t start_frame_ = 1;
  bool normalise_scale_factors_ = false;
  double scale_factor_ = 1.0;
  std::int64_t message_line_ = 0;
  int system_error_ = 0;
  bool no_lines_ = false;  // the last Read found no line at all
};

// Whether an HTR file can carry `name` as a segment name and read it back: not empty, no space,
// tab, '#' (a comment) or ']' (the end of a section header), no leading '[', not a section's name.
bool IsWritableSegmentName(std::string_view name);

// `name` with `extension` (".htr", ".TRC") appended unless its fourth character from the end
// is a '.'.
std::string WithDefaultExtension(const std::string& name, std::string_view extension);

}  // namespace zar

#endif  // ZAR_FILELIB_HTR_FILE_H_
