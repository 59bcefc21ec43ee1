// In-memory dialogs: built from a template, driven by the scripted user's actions through the
// dialog procedure's initialisation, command and destroy messages.

#include "modra/windows.h"

#include <algorithm>
#include <utility>

namespace modra::host {
namespace {

bool IsCancelText(const std::string& text) {
  std::string plain;
  for (char c : text)
    if (c != '&') plain += c;
  return plain == "Cancel";
}

}  // namespace

WindowManager::WindowManager(ScriptedUser& user) : user_(user) {
  main_.kind = HostWindow::Kind::kMain;
  main_.layout.title = "Modra";
}

WindowManager::~WindowManager() {
  // Windows still open when the host goes away are destroyed without telling their procedures
  // (their plug-in may already be unloaded).
  dialogs_.clear();
}

HostWindow* WindowManager::Dialog(WindowHandle handle) const {
  if (handle == nullptr) return nullptr;
  for (const auto& d : dialogs_)
    if (d.get() == handle && !d->destroyed) return d.get();
  return nullptr;
}

HostWindow* WindowManager::Control(WindowHandle dialog, int id) const {
  HostWindow* d = Dialog(dialog);
  if (d == nullptr) return nullptr;
  for (const auto& c : d->controls)
    if (c->id == id && id != kNoControlId) return c.get();
  return nullptr;
}

HostWindow* WindowManager::DialogOf(WindowHandle handle) const {
  if (handle == nullptr) return nullptr;
  for (const auto& d : dialogs_) {
    if (d->destroyed) continue;
    if (d.get() == handle) return d.get();
    for (const auto& c : d->controls)
      if (c.get() == handle) return d.get();
  }
  return nullptr;
}

bool WindowManager::Alive(WindowHandle handle) const {
  return handle == &main_ || DialogOf(handle) != nullptr;
}

HostWindow* WindowManager::Create(const DialogTemplate& layout, WindowHandle owner, DialogProc proc,
                                  bool modal, bool page) {
  auto d = std::make_unique<HostWindow>();
  d->kind = HostWindow::Kind::kDialog;
  d->owner = Alive(owner) ? owner : nullptr;
  d->layout = layout;
  d->proc = proc;
  d->modal = modal;
  d->page = page;
  for (const ControlTemplate& t : layout.controls) {
    auto c = std::make_unique<HostWindow>();
    c->kind = HostWindow::Kind::kControl;
    c->owner = d.get();
    c->id = t.id;
    c->controlKind = t.kind;
    c->text = t.text;
    c->style = t.style;
    c->enabled = (t.style & kStyleInitiallyDisabled) == 0;
    d->controls.push_back(std::move(c));
  }
  dialogs_.push_back(std::move(d));
  return dialogs_.back().get();
}

std::intptr_t WindowManager::Send(HostWindow* dialog, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
  if (dialog == nullptr || dialog->proc == nullptr || dialog->destroyed) return 0;
  return dialog->proc(dialog, message, wParam, lParam);
}

void WindowManager::Initialise(HostWindow* dialog, std::intptr_t param) {
  Send(dialog, kMessageInitDialog, 0, param);
  if (Dialog(dialog) != nullptr) Record(ShownEvent::Kind::kDialogOpened, dialog, "", 0);
}

void WindowManager::Destroy(HostWindow* dialog) {
  if (Dialog(dialog) == nullptr) return;
  Record(ShownEvent::Kind::kDialogClosed, dialog, dialog->modal ? "ended" : "destroyed",
         static_cast<int>(dialog->result));
  Send(dialog, kMessageDestroy, 0, 0);
  dialog->destroyed = true;
  modalStack_.erase(std::remove(modalStack_.begin(), modalStack_.end(), dialog), modalStack_.end());
  dialogs_.erase(
      std::remove_if(dialogs_.begin(), dialogs_.end(),
                     [dialog](const std::unique_ptr<HostWindow>& d) { return d.get() == dialog; }),
      dialogs_.end());
}

std::intptr_t WindowManager::RunModal(HostWindow* dialog) {
  modalStack_.push_back(dialog);
  while (Dialog(dialog) != nullptr && !dialog->ended) {
    const UserAction* next = user_.Front();
    HostWindow* target = next && next->IsDialogAction() ? Target(next->dialog) : nullptr;
    if (target == nullptr) {
      Cancel(dialog, next ? "the next action is not for this dialog: " + next->Describe()
                          : "nothing left for the user to do");
      continue;
    }
    const UserAction action = *next;
    user_.Pop();
    Apply(target, action);
  }
  // A procedure that destroyed its own modal dialog leaves no result.
  if (Dialog(dialog) == nullptr) return -1;
  const std::intptr_t result = dialog->result;
  Destroy(dialog);
  return result;
}

HostWindow* WindowManager::Target(int templateId) const {
  if (templateId == 0) {
    if (!modalStack_.empty()) return modalStack_.back();
    for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it)
      if (!(*it)->destroyed) return it->get();
    return nullptr;
  }
  for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it)
    if (!(*it)->destroyed && (*it)->layout.id == templateId) return it->get();
  return nullptr;
}

bool WindowManager::Click(HostWindow* dialog, HostWindow* control) {
  switch (control->controlKind) {
    case ControlKind::kCheckBox:
      control->checked = control->checked ? 0 : 1;
      break;
    case ControlKind::kRadioButton:
      control->checked = 1;
      break;
    case ControlKind::kPushButton:
      break;
    default:
      return false;
  }
  Send(dialog, kMessageCommand, MakeCommand(control->id, kButtonClicked),
       reinterpret_cast<std::intptr_t>(control));
  return true;
}

bool WindowManager::Apply(HostWindow* dialog, const UserAction& action) {
  if (Dialog(dialog) == nullptr) return false;
  auto refuse = [&](Refusal refusal, const std::string& why) {
    ShownEvent e;
    e.kind = ShownEvent::Kind::kNote;
    e.outcome = Outcome::kRefused;
    e.refusal = refusal;
    e.action = action.kind;
    e.text = "could not " + action.Describe() + ": " + why;
    e.detail = why;
    e.number = action.control;
    user_.Record(std::move(e));
    return false;
  };
  auto applied_action = [&] {
    if (Dialog(dialog) == nullptr) return;
    Record(ShownEvent::Kind::kDialogAction, dialog, action.Describe(),
           action.kind == UserAction::Kind::kCloseDialog ? 0 : action.control, action.kind);
  };
  if (action.kind == UserAction::Kind::kCloseDialog) {
    Send(dialog, kMessageCommand, MakeCommand(kCommandCancel, kButtonClicked), 0);
    applied_action();
    return true;
  }
  HostWindow* control = Control(dialog, action.control);
  if (control == nullptr) return refuse(Refusal::kNoSuchControl, "no such control");
  if (!control->enabled) return refuse(Refusal::kDisabled, "the control is disabled");
  bool applied = true;
  switch (action.kind) {
    case UserAction::Kind::kFillEdit:
      if (control->controlKind != ControlKind::kEdit &&
          control->controlKind != ControlKind::kCustomEdit)
        return refuse(Refusal::kNotAnEdit, "not an edit box");
      if (control->style & kStyleReadOnly)
        return refuse(Refusal::kReadOnly, "the edit box is read-only");
      if (control->text != action.text) {
        control->text = action.text;
        Send(dialog, kMessageCommand, MakeCommand(control->id, kEditChanged),
             reinterpret_cast<std::intptr_t>(control));
      }
      break;
    case UserAction::Kind::kTick:
      if (control->controlKind != ControlKind::kCheckBox &&
          control->controlKind != ControlKind::kRadioButton)
        return refuse(Refusal::kNotCheckable, "not a check box or radio button");
      if ((control->checked != 0) != action.checked) {
        if (!action.checked && control->controlKind == ControlKind::kRadioButton)
          return refuse(Refusal::kRadioCleared, "a radio button is cleared by choosing another");
        applied = Click(dialog, control);
      }
      break;
    case UserAction::Kind::kPress:
      applied = Click(dialog, control);
      if (!applied) return refuse(Refusal::kNotAButton, "not a button");
      break;
    default:
      return refuse(Refusal::kNotADialogAction, "not a dialog action");
  }
  applied_action();
  return applied;
}

void WindowManager::Cancel(HostWindow* dialog, const std::string& why) {
  ShownEvent note;
  note.kind = ShownEvent::Kind::kNote;
  note.text = "cancelling dialog " + std::to_string(dialog->layout.id) + ": " + why;
  user_.Record(std::move(note));
  Send(dialog, kMessageCommand, MakeCommand(kCommandCancel, kButtonClicked), 0);
  if (Dialog(dialog) == nullptr || dialog->ended) return;
  for (const auto& c : dialog->controls) {
    if (c->controlKind == ControlKind::kPushButton && c->enabled && IsCancelText(c->text)) {
      Click(dialog, c.get());
      break;
    }
  }
  if (Dialog(dialog) == nullptr || dialog->ended) return;
  if (dialog->modal) {
    dialog->ended = true;
    dialog->result = 0;
  } else {
    Destroy(dialog);
  }
}

DialogState WindowManager::Snapshot(const HostWindow* dialog) const {
  DialogState s;
  s.templateId = dialog->layout.id;
  s.title = dialog->layout.title;
  s.centred = dialog->centred;
  for (const auto& c : dialog->controls)
    s.controls.push_back({c->id, c->controlKind, c->text, c->checked, c->enabled});
  return s;
}

WindowHandle WindowManager::Active() const {
  if (!modalStack_.empty()) return modalStack_.back();
  return const_cast<HostWindow*>(&main_);
}

void WindowManager::Record(ShownEvent::Kind kind, const HostWindow* dialog, std::string detail,
                           int number, UserAction::Kind action) {
  ShownEvent e;
  e.kind = kind;
  e.action = action;
  e.text = dialog->layout.title;
  e.detail = std::move(detail);
  e.number = number;
  e.dialog = Snapshot(dialog);
  user_.Record(std::move(e));
}

}  // namespace modra::host
