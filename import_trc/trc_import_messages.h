#ifndef ZAR_IMPORT_TRC_TRC_IMPORT_MESSAGES_H_
#define ZAR_IMPORT_TRC_TRC_IMPORT_MESSAGES_H_

// Every text the TRC importer shows, in one place. Texts with "%d" are printf formats taking
// one int.

#include "plugin_description/plugin_texts.h"

namespace zar::trc_import {

// Caption of every message box of the importer.
inline constexpr const char* kErrorCaption = description::kImportTrcErrorCaption;
// Title of the progress display.
inline constexpr const char* kProgressTitle = "Vantrel ImportTRC";

// Options dialog, checks on OK in the order they run.
inline constexpr const char* kStartFrameTooLow =
    "Please choose a start frame equal to or greater than %d.";
inline constexpr const char* kEndFrameTooHigh =
    "Please choose an end frame less than or equal to %d.";
inline constexpr const char* kZeroSize = "Please choose a non-zero size.";
inline constexpr const char* kZeroScaleFactor = "Please choose a non-zero scale factor.";
inline constexpr const char* kEndBeforeStart =
    "Please choose a start frame that is less than the end frame.";

// Keying.
inline constexpr const char* kNoPositionController =
    "Position Controller Error. Please Contact Vantrel Support.";
// The host gave no object or node for a marker or for the root dummy.
inline constexpr const char* kCannotCreateNode = "The marker node could not be created.";

// Name of the root dummy (made unique in the scene).
inline constexpr const char* kRootNodeName = "TRCCloud";

}  // namespace zar::trc_import

#endif  // ZAR_IMPORT_TRC_TRC_IMPORT_MESSAGES_H_
