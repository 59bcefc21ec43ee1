#ifndef ZAR_EXCHANGE_SKELETON_FORMATS_H_
#define ZAR_EXCHANGE_SKELETON_FORMATS_H_

// The skeleton formats the exchange library reads and writes, found by a file's extension. A new
// format is one more row of the table in skeleton_formats.cpp.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "exchange/file_outcome.h"
#include "exchange/marker_set.h"
#include "exchange/skeleton.h"

namespace zar::exchange {

struct SkeletonFormat {
  std::string_view extension;  // with the dot, lower case
  std::string_view title;      // what people call it
  // Fills `skeleton` from the file at `path`. None when the format is not read.
  FileOutcome (*read)(const std::string& path, Skeleton& skeleton);
  // Writes `skeleton` to `path` atomically. None when the format is not written.
  FileOutcome (*write)(const Skeleton& skeleton, const std::string& path);
  // The one up axis the writer writes in (turning a skeleton that has the other), where it has
  // one.
  std::optional<Axis> written_up = std::nullopt;
  // The one length unit the writer writes in (converting to it), where it has one.
  std::optional<LengthUnit> written_units = std::nullopt;
  // Why the writer leaves out bone scale factors other than 1, where it does; empty when it
  // keeps them.
  std::string_view drops_bone_scale = {};
};

std::span<const SkeletonFormat> SkeletonFormats();

// The format for `path`'s extension (any letter case); none when there is none.
const SkeletonFormat* FindSkeletonFormat(std::string_view path);

// Every joint's world position in every frame, as a marker set named by the joints (all samples
// present), with the skeleton's rate, units and first frame.
MarkerSet JointPositions(const Skeleton& skeleton);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_SKELETON_FORMATS_H_
