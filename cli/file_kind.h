#ifndef ZAR_CLI_FILE_KIND_H_
#define ZAR_CLI_FILE_KIND_H_

// Which motion file format a file's first lines look like, so that a check of the wrong kind of
// file can say what the file seems to be.

#include <string>

namespace zar::cli {

enum class MotionFormat { kUnknown, kHtr, kTrc };

// Looks at the first lines of `path` (a regular file): a "PathFileType" line makes it TRC, a
// "[Header]" or "[SegmentNames&Hierarchy]" line HTR.
MotionFormat SniffFormat(const std::string& path);

// "; it looks like a TRC file (zarfileio trc check)" when `path` looks like `other`, else "".
std::string LooksLikeNote(const std::string& path, MotionFormat other);

}  // namespace zar::cli

#endif  // ZAR_CLI_FILE_KIND_H_
