#ifndef ZAR_IMPORT_HTR_HTR_OPTIONS_DIALOG_H_
#define ZAR_IMPORT_HTR_HTR_OPTIONS_DIALOG_H_

// The HTR importer's options dialog (template 107): it shows the options record, keeps the
// controls' enabling rules, checks the user's entries on OK and saves them.

#include <cstdint>

#include "import_htr/import_htr_options.h"
#include "sdk/modra_platform.h"

namespace zar {

// The dialog procedure. The initialisation message carries the options record as its parameter.
std::intptr_t ImportHTROptionsDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam);

// Runs the dialog modally over `owner` on `options`: 1 when the user confirmed (the options
// are saved), 0 when the user cancelled, −1 when the dialog could not be shown.
std::intptr_t RunImportHTROptionsDialog(modra::WindowHandle owner, ImportHTROptions& options);

}  // namespace zar

#endif  // ZAR_IMPORT_HTR_HTR_OPTIONS_DIALOG_H_
