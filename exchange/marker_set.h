#ifndef ZAR_EXCHANGE_MARKER_SET_H_
#define ZAR_EXCHANGE_MARKER_SET_H_

// The marker data every marker format meets in: names, one sample per marker per frame with a
// present flag, the exact frame rate, the length unit, the up axis and the number of the first
// frame.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "filelib/motion_units.h"

namespace zar::exchange {

// One marker position in one frame.
struct MarkerSample {
  double x = 0.0;  // in the set's units; 0 when not present
  double y = 0.0;
  double z = 0.0;
  bool present = false;  // false when the marker was not seen in that frame
};

// What a point of a marker file stands for: a marker position (a length in the set's units),
// or one of the model outputs a C3D file lists as points (POINT:ANGLES, FORCES, MOMENTS, POWERS,
// SCALARS, REACTIONS), whose three values are in their own units.
enum class PointKind : std::uint8_t {
  kMarker,
  kAngle,
  kForce,
  kMoment,
  kPower,
  kScalar,
  kReaction
};

// Every kind, in the order above, and the plural word for each ("markers", "angles", ...).
inline constexpr PointKind kPointKinds[] = {
    PointKind::kMarker, PointKind::kAngle,  PointKind::kForce,   PointKind::kMoment,
    PointKind::kPower,  PointKind::kScalar, PointKind::kReaction};
std::string_view PointKindsText(PointKind kind);

// What a marker is called.
struct MarkerName {
  std::string name;         // the label (may be empty or repeated in what a reader gives)
  std::string description;  // a longer name where the format has one, else empty
  PointKind kind = PointKind::kMarker;
};

// A set of markers over a run of frames. Samples are stored frame by frame: the samples of frame
// k (counted from 0) are markers.size() consecutive samples in marker order. Fill `markers`
// first, then SetFrames.
class MarkerSet {
 public:
  std::vector<MarkerName> markers;
  double rate = 60.0;        // frames per second, exactly as the source gives it
  double camera_rate = 0.0;  // the capture rate where the source gives one; 0 when unknown
  LengthUnit units = LengthUnit::kMillimetres;
  Axis up = Axis::kY;            // the source's up axis (Y or Z), where a writer needs it
  bool up_known = false;         // whether the source names it (else `up` is a default)
  std::int64_t first_frame = 1;  // the number of frame 0
  // The frames the source's header declares, where a reader found fewer; below 0 otherwise.
  std::int64_t declared_frames = -1;
  // What the reader found wrong in the file and how it read past it, for the user.
  std::vector<std::string> warnings;

  std::size_t NumMarkers() const { return markers.size(); }
  std::int64_t NumFrames() const { return frames_; }

  // Makes room for `frames` frames of every marker; all samples become missing.
  void SetFrames(std::int64_t frames);
  // Frames one at a time, for a reader that does not know their number at first: room for
  // `frames` frames in all (a hint), and a frame of missing samples added at the end.
  void ReserveFrames(std::int64_t frames);
  MarkerSample* AddFrame();

  MarkerSample* Frame(std::int64_t k) { return samples_.data() + Offset(k); }
  const MarkerSample* Frame(std::int64_t k) const { return samples_.data() + Offset(k); }
  MarkerSample& At(std::int64_t k, std::size_t marker) { return Frame(k)[marker]; }
  const MarkerSample& At(std::int64_t k, std::size_t marker) const { return Frame(k)[marker]; }

  // Keeps `count` frames from frame index `from` (both within the set); the first frame number
  // moves with them.
  void KeepFrames(std::int64_t from, std::int64_t count);

  // Every marker's description becomes its name, where it has one.
  void NameByDescriptions();

  // Keeps the markers whose entry in `keep` (one per marker) is true, in their order.
  void KeepMarkers(const std::vector<bool>& keep);

  // How many of the points are of `kind`.
  std::size_t CountOf(PointKind kind) const;
  // "61 markers, 12 angles, 10 forces": how many points of each kind there are, kinds in the
  // order of kPointKinds, those with none left out.
  std::string KindCounts() const;

 private:
  std::size_t Offset(std::int64_t k) const { return static_cast<std::size_t>(k) * markers.size(); }

  std::int64_t frames_ = 0;
  std::vector<MarkerSample> samples_;
};

// Names for formats that need them unique and non-empty: blank names become "Marker<n>" (n
// counted from 1), and a repeated name gets "_2", "_3", ... appended. Tabs and line ends inside
// a name become blanks.
std::vector<std::string> UniqueMarkerNames(const MarkerSet& set);

// The decimal number with the fewest digits that reads back as `value` in single precision, as
// a double: a rate stored as the float 119.88f becomes 119.88.
double ShortestDecimal(float value);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_MARKER_SET_H_
