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
  std::size_t events = 0;          // the events kept (EVENT group and header)
  std::size_t events_dropped = 0;  // the events of frames not kept
  std::vector<std::string> warnings;
};

// Writes `cut` of `file` (read before from `path`) to `out`, completely or not at all. The
// parameters that count or name frames follow the cut: POINT:FRAMES, POINT:LONG_FRAMES,
// TRIAL:ACTUAL_START_FIELD and ACTUAL_END_FIELD (added past frame 65535), FORCE_PLATFORM:ZERO
// (moved with the frames, or cleared with a warning when its frames are cut away), POINT:USED,
// POINT:SCALE, POINT:DATA_START and ANALOG:RATE (made to agree with the header), and the up
// axis where the file names none. Events keep
// their place in the motion: an event of a frame not kept is left out, and the times of the
// others move as the frame numbers do. Returns a message, empty on success.
std::string CopyC3DFrames(const std::string& path, const C3DFile& file, const C3DCopyOptions& cut,
                          const std::string& out, C3DCopyReport& report);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_C3D_COPY_H_
