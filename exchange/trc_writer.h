#ifndef ZAR_EXCHANGE_TRC_WRITER_H_
#define ZAR_EXCHANGE_TRC_WRITER_H_

#include <string>

#include "exchange/file_outcome.h"
#include "exchange/marker_set.h"

namespace zar::exchange {

// Writes `set` as a TRC file in the layout the TRC reader reads: path type 4 (the first frame
// number is in the header), the header names and values, the marker names each followed by two
// empty columns, the X1 Y1 Z1 line, an empty line, then one line per frame. Lines end in CR LF.
// Numbers have the fewest digits that read back to the same value (single precision where the
// value is one), without exponents; a missing sample is three empty fields. Names are made unique
// and non-empty (UniqueMarkerNames). Written completely or not at all.
FileOutcome WriteTRC(const MarkerSet& set, const std::string& path);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_TRC_WRITER_H_
