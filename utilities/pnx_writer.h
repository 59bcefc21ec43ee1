#ifndef ZAR_UTILITIES_PNX_WRITER_H_
#define ZAR_UTILITIES_PNX_WRITER_H_

// PNX marker files: the selected markers of a TRC file, frame by frame, in Modra's axes.

#include <ctime>
#include <string>
#include <string_view>

#include "filelib/trc_file.h"

namespace zar {

// How positions are turned into the three numbers written. Modra's axes are (TRC x, minus TRC z,
// TRC y). With an offset in TRC space it is added before the axes are reordered, in Modra space
// after. The offsets are single precision (as stored) and widened to double when added.
struct PnxPlacement {
  bool offset = false;
  bool trc_space = true;
  float offset_x = 0.0f;
  float offset_y = 0.0f;
  float offset_z = 0.0f;
};

// The three numbers written for a present sample.
struct PnxPoint {
  double first;
  double second;
  double third;
};
PnxPoint PlacePnxPoint(const TRCSample& sample, const PnxPlacement& placement);

// The local time `when` as the C library's 24-character date text, "Wed Jan  2 03:04:05 2008"
// (no line end).
std::string DateText(std::time_t when);

// Writes the PNX file of `trc` to `path`: the markers whose selection flag is set, in file order,
// frames StartFrame() to StartFrame() + NumDataFrames() - 1, a sample that is missing (or beyond
// the marker's samples) as DROPOUT. `title` is the $Filename value, `date` the $DateTime value.
// Every line ends in CR LF. False, leaving any existing file as it was, when the file cannot be
// created or written.
bool WritePnxFile(const TRCFile& trc, const std::string& path, std::string_view title,
                  std::string_view date, const PnxPlacement& placement);

}  // namespace zar

#endif  // ZAR_UTILITIES_PNX_WRITER_H_
