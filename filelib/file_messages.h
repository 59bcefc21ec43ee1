#ifndef ZAR_FILELIB_FILE_MESSAGES_H_
#define ZAR_FILELIB_FILE_MESSAGES_H_

// Every message the file library returns, in one place. A message is the complete text shown
// to the user; those that end in ": " are followed by a segment name.

#include <string_view>

namespace zar::messages {

// Shared by the readers and the writer.
inline constexpr std::string_view kCannotOpen = "The file could not be opened";
// A read that failed part way (an I/O error, not the end of the file).
inline constexpr std::string_view kCannotRead = "The file could not be read";

// A line longer than LineReader's bound (a file that is not text, or a damaged one).
inline constexpr std::string_view kLineTooLong = "The file has a line longer than 64 MiB";

// A file that read without a message but holds nothing to convert (file_contents.h).
inline constexpr std::string_view kEmptyFile = "The file is empty";
inline constexpr std::string_view kHeaderCut = "The file ends before its header is complete";
inline constexpr std::string_view kNoMarkers = "The file holds no markers";
inline constexpr std::string_view kOnlyUnnamedMarkers =
    "The file holds no markers but those whose names begin with \"Unnamed\", which are left out";
inline constexpr std::string_view kNoSegments = "The file holds no segments";
inline constexpr std::string_view kNoFrames = "The file holds no frames";

// HTR reader.
inline constexpr std::string_view kHtrFileType =
    "The file does not have a compatible \"FileType\" header state";
inline constexpr std::string_view kHtrDataType =
    "The file does not have a compatible \"DataType\" header state";
inline constexpr std::string_view kHtrFileVersion =
    "The file does not have a compatible \"FileVersion\" header state";
inline constexpr std::string_view kHtrEulerRotationOrder =
    "The file does not have a compatible \"EulerRotationOrder\" header state";
inline constexpr std::string_view kHtrGlobalAxisofGravity =
    "The file does not have a compatible \"GlobalAxisofGravity\" header state";
inline constexpr std::string_view kHtrBoneLengthAxis =
    "The file does not have a compatible \"BoneLengthAxis\" header state";
inline constexpr std::string_view kHtrDuplicateSegment = "The file has duplicate segment names: ";
inline constexpr std::string_view kHtrSegmentNotFound = "Segment name not found: ";
inline constexpr std::string_view kHtrSegmentCount = "Incorrect number of segments defined in file";
// A NumFrames value beyond the 32-bit range, which would wrap to another count.
inline constexpr std::string_view kHtrNumFramesRange =
    "The file's \"NumFrames\" value is too large for a frame count (at most 2147483647)";
// A segment that names itself or one of its descendants as its parent.
inline constexpr std::string_view kHtrHierarchyCycle =
    "The file's hierarchy makes a segment its own ancestor: ";

// HTR writer.
inline constexpr std::string_view kHtrNoSegments = "No segments to write";
inline constexpr std::string_view kHtrWriteDuplicateSegment =
    "The scene hierarchy has duplicate segment names: ";
inline constexpr std::string_view kCannotWrite = "The file could not be written";

// TRC reader.
inline constexpr std::string_view kTrcHeaderState =
    "The file is does not have a compatible \"(X/Y/Z)\" header state";
inline constexpr std::string_view kTrcMarkerCount = "Incorrect number of markers defined in file";

}  // namespace zar::messages

#endif  // ZAR_FILELIB_FILE_MESSAGES_H_
