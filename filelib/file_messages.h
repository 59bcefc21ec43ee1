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
