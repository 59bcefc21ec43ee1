#ifndef ZAR_EXCHANGE_TRC_ADAPTER_H_
#define ZAR_EXCHANGE_TRC_ADAPTER_H_

// Between the file library's TRC model and the marker set.

#include <string>

#include "exchange/file_outcome.h"
#include "exchange/marker_set.h"
#include "filelib/trc_file.h"

namespace zar::exchange {

// Reads a TRC file straight into `set` (no file model of every sample on the way): markers in
// file order, one frame per data line, the rates as the file writes them. Markers whose names
// begin with "Unnamed" are left out, as the host's TRC translators do. A fault is the reader's
// (with the line it stopped at), or NothingToConvert's for a file without markers or data lines.
// Where the file holds fewer frames than it declares, the set's declared_frames says how many.
FileOutcome ReadTRC(const std::string& path, MarkerSet& set);

// Markers in file order; as many frames as the longest marker holds (shorter ones end in missing
// samples). The rates are the model's whole frames per second.
MarkerSet FromTRC(const TRCFile& trc);

// The TRC model of `set`, names made unique (UniqueMarkerNames); the rates are rounded to whole
// frames per second, which is what the TRC model holds.
TRCFile ToTRC(const MarkerSet& set);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_TRC_ADAPTER_H_
