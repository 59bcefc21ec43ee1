#ifndef ZAR_EXCHANGE_BVH_READER_H_
#define ZAR_EXCHANGE_BVH_READER_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "exchange/file_outcome.h"
#include "exchange/skeleton.h"

namespace zar::exchange {

// What a BVH file said beside its skeleton.
struct BVHFacts {
  std::int64_t declared_frames = 0;  // its "Frames:" value; the skeleton holds the lines read
  double frame_time = 0.0;           // its "Frame Time:" value, in seconds
};

// Reads a BVH file into `skeleton`: every ROOT and JOINT becomes a joint (parents first, in file
// order), named as the file names it; its OFFSET is the base translation and its base rotation
// is none. Each frame's channels become the joint's motion: position channels move the joint
// from its OFFSET (they add to it, as the widely used readers take them), rotation channels in any
// order and any subset are composed in the order listed, as BVH readers do (the first listed is
// outermost), and kept as the skeleton's static X Y Z angles. An End Site's distance from its joint
// is that joint's bone length. The file is Y up; lengths are taken to be in `units` (BVH does not
// say). The rate is 1 / Frame Time, or the whole number whose frame time the file's rounded value
// is (".0083333" is 120 frames/s). Frames after the declared count are not read; a file with fewer
// frame lines than it declares reads the lines it has (`facts` tells both counts). LF, CR LF, tabs,
// blanks and blank lines are accepted anywhere. A fault in the file's text names its line in the
// message.
FileOutcome ReadBVH(std::FILE* file, Skeleton& skeleton, LengthUnit units,
                    BVHFacts* facts = nullptr);
FileOutcome ReadBVH(const std::string& path, Skeleton& skeleton, LengthUnit units,
                    BVHFacts* facts = nullptr);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_BVH_READER_H_
