#ifndef ZAR_FILELIB_TRC_FILE_H_
#define ZAR_FILELIB_TRC_FILE_H_

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "filelib/file_contents.h"
#include "filelib/motion_units.h"

namespace zar {

// One marker position in one frame.
struct TRCSample {
  bool present = false;  // false when the marker was not seen (occluded) in that frame
  double x = 0.0;        // coordinates in the file's units; 0 when not present
  double y = 0.0;
  double z = 0.0;
};

// One marker: its name, whether the PNX converter writes it, and one sample per frame.
class TRCMarker {
 public:
  TRCMarker() = default;
  explicit TRCMarker(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  bool Selected() const { return selected_; }
  void SetSelected(bool selected) { selected_ = selected; }

  std::int32_t NumSamples() const { return static_cast<std::int32_t>(samples_.size()); }
  // Capacity hint; a count below 1 is ignored.
  void ReserveSamples(std::int64_t count);
  void AppendSample(double x, double y, double z) { samples_.push_back({true, x, y, z}); }
  void AppendMissingSample() { samples_.push_back({}); }
  // Sample k (from 0); not present at (0, 0, 0) when k is out of range.
  TRCSample Sample(std::int32_t k) const;
  // Makes sample k present at (x, y, z); false (nothing changes) when k is out of range.
  bool SetSample(std::int32_t k, double x, double y, double z);
  const std::vector<TRCSample>& Samples() const { return samples_; }

 private:
  friend class TRCFile;
  friend class TrcReader;

  bool selected_ = true;
  std::string name_;
  std::vector<TRCSample> samples_;
};

class TRCFile;

class LineParsing;

// Where a reading puts the samples of the data lines instead of the markers' own sample lists,
// for a reader that keeps them in a form of its own: the markers are still named in the model,
// and their sample lists stay empty.
class TRCSampleSink {
 public:
  virtual ~TRCSampleSink() = default;
  // Once the markers are known (in `model`, in file order, before any line), with the number of
  // data lines to make room for (a hint: the declared frames, never more than the rest of the
  // file can hold).
  virtual void Begin(const TRCFile& model, std::int64_t frames) = 0;
  // One data line: one sample per marker, in the model's marker order. False ends the reading
  // after this line, successfully (for a reader that wants no more than the header).
  virtual bool Line(const TRCSample* samples) = 0;
  // How the data lines' numbers are read for this sink: without a LineParsing (the default),
  // each line on the reading thread as it comes.
  virtual LineParsing* Parsing() { return nullptr; }
};

// One TRC optical-marker file in memory: header values and the markers in file order. Sample k
// of every marker belongs to frame number StartFrame() + k.
class TRCFile {
 public:
  // Removes every marker and resets the header values; the camera rate keeps its value.
  void Clear();

  // Reads a TRC file ("name" gets ".TRC" unless it ends in a three-letter extension). Markers
  // whose names begin with "Unnamed" are kept only when `with_unnamed` is set. Returns the
  // message that ends the reading, empty on success; never throws for a malformed file.
  std::string Read(const std::string& file_name, bool with_unnamed);
  // The same from a file opened for reading (not closed here), from its current position.
  std::string Read(std::FILE* file, bool with_unnamed);
  // The same with every data line's samples given to `sink`, the markers holding none.
  std::string Read(const std::string& file_name, bool with_unnamed, TRCSampleSink& sink);
  std::string Read(std::FILE* file, bool with_unnamed, TRCSampleSink& sink);

  LengthUnit Units() const { return units_; }
  void SetUnits(LengthUnit units) { units_ = units; }
  // The rates as whole numbers, the fraction dropped ("119.88012" gives 119); the PNX file and
  // the scene's frame rate use these.
  std::int32_t DataRate() const { return data_rate_; }
  std::int32_t CameraRate() const { return camera_rate_; }
  // The rates as written in the file (119.88012); anything that times frames on its own uses
  // these.
  double ExactDataRate() const { return exact_data_rate_; }
  double ExactCameraRate() const { return exact_camera_rate_; }
  // Setting a whole-number rate sets the exact rate to the same value.
  void SetDataRate(std::int32_t rate) {
    data_rate_ = rate;
    exact_data_rate_ = rate;
  }
  void SetCameraRate(std::int32_t rate) {
    camera_rate_ = rate;
    exact_camera_rate_ = rate;
  }
  // Frames as declared in the header (markers may hold more or fewer samples).
  std::int32_t NumFrames() const { return num_frames_; }
  void SetNumFrames(std::int32_t count) { num_frames_ = count; }
  // The frames the data lines of the file cover: NumFrames, but never more than the data lines
  // Read found. A model that was not read from a file (or was cleared since) gives NumFrames.
  std::int32_t NumDataFrames() const {
    return data_lines_ >= 0 && data_lines_ < num_frames_ ? data_lines_ : num_frames_;
  }
  std::int32_t StartFrame() const { return start_frame_; }
  void SetStartFrame(std::int32_t frame) { start_frame_ = frame; }

  std::int32_t NumMarkers() const { return static_cast<std::int32_t>(markers_.size()); }
  // The marker at `index` in file order; none when out of range.
  TRCMarker* Marker(std::int32_t index);
  const TRCMarker* Marker(std::int32_t index) const;

  // Appends a copy of `marker` and returns the stored copy, or none (nothing added) when a
  // marker of that name is present. Stored markers never move.
  TRCMarker* AddMarker(const TRCMarker& marker);

  // Converts every coordinate to `unit` and records it; present flags stay.
  void ConvertUnits(LengthUnit unit);
  // Multiplies every coordinate by `factor`; present flags stay.
  void Scale(double factor);

  // The line of the file (from 1) at which the last Read stopped with a message about the
  // file's contents; 0 when it read without one or could not open or read the file.
  std::int64_t MessageLine() const { return message_line_; }

  // The system's reason (an errno value) why the last Read could not open or read the file
  // (EISDIR for a folder); 0 when it opened and read it.
  int SystemError() const { return system_error_; }

  // What the last Read found, for NothingToConvert and FewerFramesThanDeclared: the frames are
  // the data lines read. A model that was not read from a file counts as a complete one whose
  // frames are its longest marker's samples.
  FileContents Contents() const;

 private:
  friend class TrcReader;

  std::deque<TRCMarker> markers_;
  LengthUnit units_ = LengthUnit::kMillimetres;
  std::int32_t data_rate_ = 60;
  std::int32_t camera_rate_ = 0;
  double exact_data_rate_ = 60.0;
  double exact_camera_rate_ = 0.0;
  std::int32_t num_frames_ = 0;
  std::int32_t start_frame_ = 1;
  std::int32_t data_lines_ = -1;  // data lines Read found; -1 when not read from a file
  bool no_lines_ = false;         // Read found no line at all
  bool header_read_ = true;       // Read found every header line up to the marker names
  std::int32_t unnamed_ = 0;      // markers Read left out for their "Unnamed" names
  std::int64_t message_line_ = 0;
  int system_error_ = 0;
};

}  // namespace zar

#endif  // ZAR_FILELIB_TRC_FILE_H_
