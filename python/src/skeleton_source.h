#ifndef ZAR_PYTHON_SKELETON_SOURCE_H_
#define ZAR_PYTHON_SKELETON_SOURCE_H_

// Skeleton files in and out, through the exchange library's formats table, with the options and
// in the order of the tool's convert.

#include <string>

#include "choices.h"
#include "exchange/skeleton.h"

namespace zar::python {

// Reads `path` (whose format reads skeletons). Throws FileProblem.
exchange::Skeleton ReadSkeleton(const std::string& path, const Choices& choices, Notes& notes);

// The frame range and length unit of `choices`, applied to `skeleton` (read from `source`).
// Throws std::invalid_argument when no frame is left.
void EditSkeleton(exchange::Skeleton& skeleton, const Choices& choices, const std::string& source);

// Writes `skeleton` to `path` in the format its extension names, turned to choices.up_out where
// given. Throws FileProblem or std::invalid_argument as WriteMarkers does.
void WriteSkeleton(exchange::Skeleton& skeleton, const std::string& path, const Choices& choices,
                   Notes& notes);

// HTR to HTR without a frame range, as the tool's convert does it: through the HTR model, which
// keeps what the skeleton model does not carry (reference lengths, the rate as written). Throws
// FileProblem.
void CopyHTR(const std::string& in, const std::string& out, const Choices& choices, Notes& notes);

}  // namespace zar::python

#endif  // ZAR_PYTHON_SKELETON_SOURCE_H_
