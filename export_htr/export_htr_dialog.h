#ifndef ZAR_EXPORT_HTR_EXPORT_HTR_DIALOG_H_
#define ZAR_EXPORT_HTR_EXPORT_HTR_DIALOG_H_

// The HTR exporter's options dialog (template 126) and the check that turns the host's
// selection into the root bone to export.

#include <cstdint>

#include "sdk/modra_host.h"
#include "sdk/modra_platform.h"

namespace zar {

// Runs the options dialog modally, owned by `owner`, over the library's option record. True when
// the user's choices were accepted (and saved), false when the dialog was cancelled.
bool RunExportHTRDialog(modra::WindowHandle owner);

// The dialog's procedure. Opening loads the stored options over the record and shows them; OK
// validates the entries in a fixed order, stopping at the first problem with a message and the
// dialog left open, and saves the options when all pass; Cancel ends it without saving.
std::intptr_t ExportHTRDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                                  std::uintptr_t w_param, std::intptr_t l_param);

// The first selected node when it is a bone, else its first direct child that is one. Null,
// after the reason has been shown under "Export Error", when nothing is selected or there is no
// such bone.
modra::SceneNode* FindRootBone(modra::HostInterface& host);

}  // namespace zar

#endif  // ZAR_EXPORT_HTR_EXPORT_HTR_DIALOG_H_
