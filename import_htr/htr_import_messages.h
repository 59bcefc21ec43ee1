#ifndef ZAR_IMPORT_HTR_HTR_IMPORT_MESSAGES_H_
#define ZAR_IMPORT_HTR_HTR_IMPORT_MESSAGES_H_

// Every text the HTR importer shows the user, with the captions it shows them under.

#include "plugin_services/key_time_range.h"

namespace zar::htr_import {

inline constexpr const char* kErrorCaption = "ImportHTR Error";
inline constexpr const char* kWarningCaption = "ImportHTR Warning";
inline constexpr const char* kApplyErrorCaption = "Import Error";

// Options dialog, checked in this order when the user presses OK. The %d is the bound.
inline constexpr const char* kStartFrameTooLow =
    "Please choose a start frame equal to or greater than %d.";
inline constexpr const char* kEndFrameTooHigh =
    "Please choose an end frame less than or equal to %d.";
inline constexpr const char* kZeroSize = "Please choose a non-zero size.";
inline constexpr const char* kZeroScale = "Please choose a non-zero scale factor.";
inline constexpr const char* kStartAfterEnd =
    "Please choose a start frame that is less than the end frame.";
inline constexpr const char* kNothingToKey =
    "Please choose either Base Position, Animation, or both when in apply mode.";

// The import.
inline constexpr const char* kScaleFactorIgnored =
    "ScaleFactor is not 1.0, this plugin does not support the ScaleFactor header variable.";
inline constexpr const char* kNothingSelected =
    "Please select the root of a skeleton before applying animation.";
inline constexpr const char* kBipedSelected = "You can't import .htr directly onto a biped node.";
inline constexpr const char* kBranchNotInFile =
    "Please select a branch to apply to that exists in the source HTR file.";
// A file whose hierarchy names no segment's parent "GLOBAL" has nothing to build or apply from.
inline constexpr const char* kNoRootSegment =
    "The file has no root segment: no segment has \"GLOBAL\" as its parent.";
// Keys would fall outside the host's time line (a huge offset or frame range).
inline constexpr const char* kKeysOutOfTime = kKeysOutsideTimeLine;

// Progress display title: this prefix and the class name.
inline constexpr const char* kProgressTitlePrefix = "Vantrel ";

}  // namespace zar::htr_import

#endif  // ZAR_IMPORT_HTR_HTR_IMPORT_MESSAGES_H_
