#ifndef ZAR_EXPORT_HTR_HTR_EXPORT_MESSAGES_H_
#define ZAR_EXPORT_HTR_HTR_EXPORT_MESSAGES_H_

// Every text the HTR exporter shows the user, with the captions it shows them under.

namespace zar::htr_export {

inline constexpr const char* kErrorCaption = "ExportHTR Error";
inline constexpr const char* kSelectionCaption = "Export Error";

// Options dialog, checked in this order when the user presses OK. The %d is the bound.
inline constexpr const char* kStartFrameTooLow =
    "Please choose a start frame equal to or greater than %d.";
inline constexpr const char* kEndFrameTooHigh =
    "Please choose an end frame less than or equal to %d.";
inline constexpr const char* kZeroScale = "Please choose a non-zero scale factor.";
inline constexpr const char* kStartAfterEnd =
    "Please choose a start frame that is less than the end frame.";

// Finding the root bone in the selection.
inline constexpr const char* kNothingSelected =
    "Please select the root bone of the skeleton you wish to export";
inline constexpr const char* kNoBoneSelected = "Please select a Modra 4 bone object to export";

// The hierarchy walk.
inline constexpr const char* kBadBoneName =
    "There are multiple identical names or spaces in a bone name.";
// The object-offset warning is kObjectOffsetBefore + the bone's name + kObjectOffsetAfter.
inline constexpr const char* kObjectOffsetBefore = "Bone: ";
inline constexpr const char* kObjectOffsetAfter =
    " contains an object offset transformation, the resulting skeleton may not be correct.";

// When the frame range holds more frames than a file can declare (the %lld are the count and the
// range's first and last frame).
inline constexpr const char* kTooManyFrames =
    "The frame range holds %lld frames (%lld to %lld); an HTR file declares at most 2147483647.";

// Before writing, when the file's frames alone cannot fit in the free space of its disk. The
// %llu are megabytes (rounded up, then down).
inline constexpr const char* kNoRoomForFrames =
    "The HTR file needs at least %llu MB for its frames and its disk has %llu MB free.";

// When memory runs out while the frames are sampled (the %d are the frames and segments).
inline constexpr const char* kNoMemoryForFrames =
    "There is not enough memory to export %d frames of %d segments.";

// Progress display title: this prefix and the class name.
inline constexpr const char* kProgressTitle = "Vantrel ExportHTR";

// Nodes whose name contains this text are the end effectors the importer makes; they are left
// out of the file with everything below them.
inline constexpr const char* kEffectorMark = "Effector";

}  // namespace zar::htr_export

#endif  // ZAR_EXPORT_HTR_HTR_EXPORT_MESSAGES_H_
