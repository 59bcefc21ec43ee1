#ifndef ZAR_FILELIB_FILE_CONTENTS_H_
#define ZAR_FILELIB_FILE_CONTENTS_H_

// Whether a file that read without a message holds anything to convert. Every path that reads a
// motion file for its data (conversions, the viewer, the info and check commands, the PNX
// converter) asks this one rule, so that an empty or cut file fails everywhere alike instead of
// giving an empty output that looks like a success.

#include <cstdint>
#include <string>

namespace zar {

// What a reader found in one file.
struct FileContents {
  enum class Items { kMarkers, kSegments };
  Items items = Items::kMarkers;
  bool empty = false;          // the file holds no line at all
  bool header = true;          // false when the file ends before its header is complete
  std::int64_t count = 0;      // markers or segments kept
  std::int64_t unnamed = 0;    // markers left out because their names begin with "Unnamed"
  std::int64_t frames = 0;     // frames the data holds
  std::int64_t declared = -1;  // frames the header declares; below 0 when it declares none
};

// The message for a file that holds nothing to convert: no lines, a header cut short, no markers
// or segments, or no frames, checked in that order. Empty when the file holds something.
std::string NothingToConvert(const FileContents& contents);

// The warning for a file that holds fewer frames than its header declares ("The file holds 1991
// of the 3514 frames its header declares"); empty when it holds them all or declares none.
std::string FewerFramesThanDeclared(const FileContents& contents);

}  // namespace zar

#endif  // ZAR_FILELIB_FILE_CONTENTS_H_
