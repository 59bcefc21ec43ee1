#ifndef ZAR_EXCHANGE_C3D_COPY_H_
#define ZAR_EXCHANGE_C3D_COPY_H_

// A C3D file copied whole or cut to a run of its frames: every group and parameter, the points
// with their residuals and camera masks, the analog samples of the frames kept and the header's
// events, as an Intel file of the source's storage (integer or real), so that the values read
// back bit for bit.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exchange/c3d_file.h"
#include "exchange/motion_edits.h"
#include "filelib/motion_units.h"

namespace zar::exchange {

struct C3DCopyOptions {
  std::int64_t from = 0;         // the index of the first frame kept, 0 for the file's first
  std::int64_t count = 0;        // how many frames are kept
  std::int64_t first_frame = 1;  // the number the first frame kept is given
  // The up axis to name in POINT:Y_SCREEN (with X_SCREEN +X) where the file names none.
  std::optional<Axis> up;
};

// What a copy carried differently from the source, for the user.
struct C3DCopyReport {
  std::int64_t first_frame = 1;    // the number the copy gives its first frame
  std::size_t events = 0;          // the events kept (EVENT group and header)
  std::size_t events_dropped = 0;  // the events of frames not kept
  std::vector<std::string> warnings;
};

// What a conversion asks of the points themselves, beside a range of frames.
struct PointChangesAsked {
  bool names_from_descriptions = false;
  bool kinds = false;   // a choice of points by kind (even of markers alone)
  bool names = false;   // a choice of points by name (--markers, --exclude)
  bool units = false;   // another length unit
  bool up_out = false;  // another up axis to write in
};

// Whether converting a C3D file to C3D copies it whole (CopyC3DFrames): when nothing asked
// changes the points themselves. Otherwise the marker set carries the points alone.
bool CopiesC3DWhole(const PointChangesAsked& asked);

// The cut a conversion makes of `file` for `range`: the whole file with its frame numbers when no
// range is asked, else the frames asked, numbered from 1 (or, keeping time, as in the file); the
// up axis to name where the file names none (`up` if given, else the format's default). None
// when no frame of the file is in the range.
std::optional<C3DCopyOptions> C3DCut(const C3DFile& file, const FrameRange& range,
                                     std::optional<Axis> up);

// Writes `cut` of `file` (read before from `path`) to `out`, completely or not at all. The
// parameters that count or name frames follow the cut: POINT:FRAMES, POINT:LONG_FRAMES,
// TRIAL:ACTUAL_START_FIELD and ACTUAL_END_FIELD (added past frame 65535), FORCE_PLATFORM:ZERO
// (moved with the frames, or cleared with a warning when its frames are cut away), POINT:USED,
// POINT:SCALE, POINT:DATA_START and ANALOG:RATE (made to agree with the header), and the up
// axis where the file names none. Events keep
// their place in the motion: an event of a frame not kept is left out, and the times of the
// others move as the frame numbers do. A cut numbered from below 1 is numbered from 1 (C3D
// counts from 1), with a warning.
FileOutcome CopyC3DFrames(const std::string& path, const C3DFile& file, const C3DCopyOptions& cut,
                          const std::string& out, C3DCopyReport& report);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_C3D_COPY_H_
