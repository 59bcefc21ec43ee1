#ifndef ZAR_MODRA_WINDOWS_H_
#define ZAR_MODRA_WINDOWS_H_

// In-memory windows: the host's main window, dialogs and panel pages built from templates, and
// their controls; the user actions that drive them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "modra/scripted_user.h"
#include "sdk/modra_platform.h"

namespace modra {

// A window: the main window, a dialog (modal, modeless or panel page) or one of its controls.
struct HostWindow {
  enum class Kind : std::uint8_t { kMain, kDialog, kControl };

  Kind kind = Kind::kDialog;
  HostWindow* owner = nullptr;  // a dialog's owner window; a control's dialog
  std::intptr_t userData = 0;

  // Dialogs.
  DialogTemplate layout;
  DialogProc proc = nullptr;
  bool modal = false;
  bool page = false;
  bool ended = false;
  bool visible = true;
  bool centred = false;
  bool destroyed = false;
  std::intptr_t result = 0;
  std::vector<std::unique_ptr<HostWindow>> controls;

  // Controls.
  int id = kNoControlId;
  ControlKind controlKind = ControlKind::kStaticText;
  std::string text;
  unsigned checked = 0;
  bool enabled = true;
  std::uint32_t style = 0;
};

namespace host {

class WindowManager {
 public:
  explicit WindowManager(ScriptedUser& user);
  ~WindowManager();

  HostWindow* main() { return &main_; }
  // A live dialog (or page) for this handle, or null.
  HostWindow* Dialog(WindowHandle handle) const;
  // Control `id` of a live dialog, or null.
  HostWindow* Control(WindowHandle dialog, int id) const;
  // True for the main window, a live dialog or a control of one.
  bool Alive(WindowHandle handle) const;
  // The dialog a control belongs to (the dialog itself for a dialog), or null.
  HostWindow* DialogOf(WindowHandle handle) const;

  // Creates a dialog from a template (its procedure is not called yet).
  HostWindow* Create(const DialogTemplate& layout, WindowHandle owner, DialogProc proc, bool modal,
                     bool page);
  // Sends the initialisation message and records the dialog's state.
  void Initialise(HostWindow* dialog, std::intptr_t param);
  // Sends the destroy message, records the final state and removes the dialog.
  void Destroy(HostWindow* dialog);
  // Runs a modal dialog until it ends; answers its result.
  std::intptr_t RunModal(HostWindow* dialog);

  std::intptr_t Send(HostWindow* dialog, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam);
  // The dialog a user action aims at: its template id, or (0) the innermost modal dialog, else
  // the most recent modeless dialog or page. Null when there is none.
  HostWindow* Target(int templateId) const;
  // Performs a dialog action on `dialog` as the user would; false when it could not apply
  // (unknown or disabled control, read-only edit ...), which is recorded as a note.
  bool Apply(HostWindow* dialog, const host::UserAction& action);
  // Presses Escape on a dialog, then its Cancel button, and ends it with 0 if still open.
  void Cancel(HostWindow* dialog, const std::string& why);

  DialogState Snapshot(const HostWindow* dialog) const;
  WindowHandle Active() const;
  bool InModal() const { return !modalStack_.empty(); }
  const std::vector<std::unique_ptr<HostWindow>>& dialogs() const { return dialogs_; }

 private:
  void Record(ShownEvent::Kind kind, const HostWindow* dialog, std::string detail, int number,
              UserAction::Kind action = {});
  bool Click(HostWindow* dialog, HostWindow* control);

  ScriptedUser& user_;
  HostWindow main_;
  std::vector<std::unique_ptr<HostWindow>> dialogs_;
  std::vector<HostWindow*> modalStack_;
};

}  // namespace host
}  // namespace modra

#endif  // ZAR_MODRA_WINDOWS_H_
