#ifndef ZAR_VIEWER_PAGE_MOTION_H_
#define ZAR_VIEWER_PAGE_MOTION_H_

// One input as the viewer page shows it: named points with their positions in every frame, in
// the source's units and axes, and for a skeleton the stick from each point to its parent.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/c3d_file.h"
#include "exchange/marker_set.h"
#include "exchange/skeleton.h"
#include "filelib/motion_units.h"

namespace zar::viewer {

struct PageMotion {
  enum class Kind { kMarkers, kSkeleton };

  Kind kind = Kind::kMarkers;
  std::string file;                   // what the legend calls it (the input's file name)
  std::vector<std::string> names;     // one per point, unique and not blank
  std::vector<std::int32_t> parents;  // skeleton: one per point, -1 for a root; markers: none
  std::size_t ends = 0;  // skeleton: the last `ends` points are the far ends of leaf bones
  double rate = 0.0;     // frames per second, exactly as the source gives it
  std::int64_t first_frame = 1;
  std::int64_t frames = 0;
  LengthUnit units = LengthUnit::kMillimetres;
  Axis up = Axis::kY;
  // x, y, z of every point in every frame (frame by frame, points in order); NaN where a marker
  // is missing.
  std::vector<float> positions;

  // A C3D's force plates: the corners of each (x, y, z of four corners, the points' axes and
  // units) and, per frame, the ground reaction at the frame's first analog sample: the centre of
  // pressure, then the force in newtons (NaN where there is no centre of pressure).
  struct Plate {
    std::vector<float> corners;
    std::vector<float> arrows;
  };
  std::vector<Plate> plates;
  // A C3D's events, at the point frame index (from 0) where each falls.
  struct Event {
    std::string context;
    std::string label;
    std::int64_t frame = 0;
  };
  std::vector<Event> events;
};

// The markers of `set`, named as the text formats name them (blank and repeated names made
// unique), with `up` as the source's up axis.
PageMotion MarkerMotion(const exchange::MarkerSet& set, std::string file, Axis up);

// The joints' world positions, then the far end of every leaf bone that has a length (named
// "<joint> (end)"), so that the sticks reach the hands, feet and head.
PageMotion SkeletonMotion(const exchange::Skeleton& skeleton, std::string file);

// Adds the force plates and events of the C3D file at `path` (read into `file`) to `motion`, the
// page motion of its points. Returns a message about the plates when they cannot be worked out
// (the points and events are shown all the same), empty otherwise.
std::string AddPlatesAndEvents(const std::string& path, const exchange::C3DFile& file,
                               PageMotion& motion);

}  // namespace zar::viewer

#endif  // ZAR_VIEWER_PAGE_MOTION_H_
