#ifndef ZAR_PYTHON_MARKER_SOURCE_H_
#define ZAR_PYTHON_MARKER_SOURCE_H_

// Marker files in and out, through the exchange library's formats table, with the options and
// in the order of the tool's convert.

#include <string>

#include "choices.h"
#include "exchange/marker_formats.h"
#include "exchange/marker_set.h"

namespace zar::python {

// Reads `path` (whose format reads markers) with the read options of `choices`; the up axis as
// the file names it, else `choices.up`, else the format's default. Throws FileProblem.
exchange::MarkerSet ReadMarkers(const std::string& path, const Choices& choices, Notes& notes);

// The frame range and length unit of `choices`, applied to `set` (read from `source`, which
// names it in a message). Throws std::invalid_argument when no frame is left.
void EditMarkers(exchange::MarkerSet& set, const Choices& choices, const std::string& source);

// Writes `set` to `path` in the format its extension names, turned to choices.up_out where
// given. Throws FileProblem (nothing to write, or the writer's fault), or
// std::invalid_argument for an up axis the format cannot be written in.
void WriteMarkers(exchange::MarkerSet& set, const std::string& path, const Choices& choices,
                  Notes& notes);

// C3D to C3D as the tool's convert makes it when `choices` change nothing of the points (see
// exchange::CopiesC3DWhole): the whole file cut to choices.range. True when it was made that
// way; false (nothing done) when the marker set must carry the points instead. Throws
// FileProblem, or std::invalid_argument for a range outside the file.
bool CopyC3DWhole(const std::string& in, const std::string& out, const Choices& choices,
                  Notes& notes);

}  // namespace zar::python

#endif  // ZAR_PYTHON_MARKER_SOURCE_H_
