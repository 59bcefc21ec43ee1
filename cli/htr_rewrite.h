#ifndef ZAR_CLI_HTR_REWRITE_H_
#define ZAR_CLI_HTR_REWRITE_H_

// HTR to HTR through the HTR file model, which keeps all that a file holds (reference lengths,
// scale factor, the rate as written): `htr convert`, and `convert IN.htr OUT.htr` without a
// frame range.

#include <string>

#include "filelib/htr_file.h"

namespace zar::cli {

// What a rewrite changes; empty texts and a scale of 1 change nothing.
struct HtrChanges {
  std::string units;           // the length unit to convert to ("mm", ... "yd")
  double scale = 1.0;          // every length times this, after the units
  std::string rotation_units;  // "degrees" or "radians"
};

// "22 segments, 1141 frames from 1, 60 frames/s, mm, Degrees": what an HTR model holds.
std::string HtrSummary(const HTRFile& model);

// Reads the HTR file `in` whole (a file with nothing to convert fails; one with fewer frames than
// it declares is read with a warning), makes `changes`, writes `out` and prints "wrote OUT
// (<its summary as its header reads back>)". Returns the exit status.
int RewriteHtr(const std::string& in, const std::string& out, const HtrChanges& changes);

}  // namespace zar::cli

#endif  // ZAR_CLI_HTR_REWRITE_H_
