#ifndef ZAR_PLUGIN_SERVICES_RECORD_DIALOG_H_
#define ZAR_PLUGIN_SERVICES_RECORD_DIALOG_H_

// The window procedure of an options dialog that edits a record handed to it when it opens (the
// record rides in the dialog's user data). `Initialise` fills the controls from the record;
// OK (or Enter) ends the dialog with 1 once `Accept` has taken the controls into the record, and
// Cancel (or Escape) ends it with 0; every other command goes to `Command`.

#include <cstdint>

#include "plugin_description/resource_ids.h"
#include "sdk/modra_host.h"

namespace zar {

template <class Record, void (*Initialise)(modra::WindowHandle, Record&),
          bool (*Accept)(modra::WindowHandle, Record&),
          void (*Command)(modra::WindowHandle, int, Record&)>
std::intptr_t RecordDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                               std::uintptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case modra::kMessageInitDialog: {
      modra::SetWindowUserData(dialog, lParam);
      Record* record = reinterpret_cast<Record*>(modra::WindowUserData(dialog));
      if (record != nullptr) Initialise(dialog, *record);
      return 1;
    }
    case modra::kMessageCommand: {
      Record* record = reinterpret_cast<Record*>(modra::WindowUserData(dialog));
      if (record == nullptr) return 0;
      switch (const int control = modra::CommandId(wParam)) {
        case resource::kOkButton:
        case modra::kCommandOk:  // Enter presses the default button
          if (Accept(dialog, *record)) modra::EndDialog(dialog, 1);
          break;
        case resource::kCancelButton:
        case modra::kCommandCancel:  // Escape
          modra::EndDialog(dialog, 0);
          break;
        default:
          Command(dialog, control, *record);
          break;
      }
      return 1;
    }
    case modra::kMessageDestroy:
      return 1;
    default:
      return 0;
  }
}

}  // namespace zar

#endif  // ZAR_PLUGIN_SERVICES_RECORD_DIALOG_H_
