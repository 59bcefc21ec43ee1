#ifndef ZAR_EXCHANGE_CSV_WRITER_H_
#define ZAR_EXCHANGE_CSV_WRITER_H_

#include <cstdint>
#include <string>

#include "exchange/file_outcome.h"
#include "exchange/marker_rows.h"
#include "exchange/marker_set.h"

namespace zar::exchange {

// A CSV cell: the text as it is, or quoted (its quotes doubled) where it holds a comma, a quote
// or a line end.
std::string CSVCell(const std::string& text);

// Writes `set` as comma-separated values for analysis: a header row `frame,time,<name>_x,
// <name>_y,<name>_z,...` with names made unique and non-empty (UniqueMarkerNames), then one row
// per frame: the frame number, the time in seconds from the exact rate (counted as the TRC
// writer counts it), and each marker's coordinates in the set's units. Numbers are C-locale
// fixed point with the fewest digits that read back to the same value; a missing sample is three
// empty cells. A header cell holding a comma, a quote or a line end is quoted, quotes doubled.
// Lines end in LF. Written completely or not at all.
FileOutcome WriteCSV(const MarkerSet& set, const std::string& path);

// The same for `frames` frames made as their rows are: `set` gives the markers, the rate and the
// numbering (not the samples), `make` the samples.
FileOutcome WriteCSV(const MarkerSet& set, std::int64_t frames, const FrameMaker& make,
                     const std::string& path);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_CSV_WRITER_H_
