#ifndef ZAR_IMPORT_TRC_TRC_OPTIONS_DIALOG_H_
#define ZAR_IMPORT_TRC_TRC_OPTIONS_DIALOG_H_

// The TRC importer's options dialog (template 120): it shows the options record, keeps the
// controls' enabling rules and the radio pairs (each radio button starts a group of its own, so
// the procedure keeps each pair exclusive), checks the user's entries on OK and saves them.

#include <cstdint>

#include "import_trc/import_trc_options.h"
#include "sdk/modra_platform.h"

namespace zar {

// The dialog procedure. The initialisation message carries the options record as its parameter.
std::intptr_t ImportTRCOptionsDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam);

// Runs the dialog modally over `owner` on `options`: 1 when the user confirmed (the options
// are saved), 0 when the user cancelled, −1 when the dialog could not be shown.
std::intptr_t RunImportTRCOptionsDialog(modra::WindowHandle owner, ImportTRCOptions& options);

}  // namespace zar

#endif  // ZAR_IMPORT_TRC_TRC_OPTIONS_DIALOG_H_
