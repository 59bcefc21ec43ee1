#include "modra/scripted_user.h"

#include <utility>

namespace modra::host {

std::string UserAction::Describe() const {
  const std::string where = dialog != 0 ? " in dialog " + std::to_string(dialog) : "";
  switch (kind) {
    case Kind::kFillEdit:
      return "fill " + std::to_string(control) + " with \"" + text + "\"" + where;
    case Kind::kTick:
      return std::string(checked ? "tick " : "untick ") + std::to_string(control) + where;
    case Kind::kPress:
      return "press " + std::to_string(control) + where;
    case Kind::kCloseDialog:
      return "close dialog" + where;
    case Kind::kAnswer:
      return "answer " + std::to_string(answer);
    case Kind::kChooseFiles: {
      std::string s = "choose";
      for (const std::string& p : paths) s += " " + p;
      return s;
    }
    case Kind::kCancelFileDialog:
      return "cancel file dialog";
    case Kind::kChooseFolder:
      return "choose folder " + text;
    case Kind::kCancelFolder:
      return "cancel folder picker";
    case Kind::kPickNode:
      return "pick " + text;
    case Kind::kRightClick:
      return "right-click";
    case Kind::kCancelProgress:
      return "cancel progress";
    case Kind::kIdle:
      return "idle";
    case Kind::kQuit:
      return "quit";
    case Kind::kPanelMouse:
      return "mouse over panel" + where;
  }
  return "unknown action";
}

const ControlState* DialogState::Find(int id) const {
  for (const ControlState& c : controls)
    if (c.id == id) return &c;
  return nullptr;
}

ScriptedUser& ScriptedUser::FillEdit(int control, std::string text, int dialog) {
  UserAction a;
  a.kind = UserAction::Kind::kFillEdit;
  a.control = control;
  a.text = std::move(text);
  a.dialog = dialog;
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::Tick(int control, bool checked, int dialog) {
  UserAction a;
  a.kind = UserAction::Kind::kTick;
  a.control = control;
  a.checked = checked;
  a.dialog = dialog;
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::Press(int control, int dialog) {
  UserAction a;
  a.kind = UserAction::Kind::kPress;
  a.control = control;
  a.dialog = dialog;
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::CloseDialog(int dialog) {
  UserAction a;
  a.kind = UserAction::Kind::kCloseDialog;
  a.dialog = dialog;
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::Answer(int answer) {
  UserAction a;
  a.kind = UserAction::Kind::kAnswer;
  a.answer = answer;
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::ChooseFile(std::string path) {
  return ChooseFiles(std::vector<std::string>{std::move(path)});
}

ScriptedUser& ScriptedUser::ChooseFiles(std::vector<std::string> paths) {
  UserAction a;
  a.kind = UserAction::Kind::kChooseFiles;
  a.paths = std::move(paths);
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::CancelFileDialog() {
  UserAction a;
  a.kind = UserAction::Kind::kCancelFileDialog;
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::ChooseFolder(std::string path) {
  UserAction a;
  a.kind = UserAction::Kind::kChooseFolder;
  a.text = std::move(path);
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::CancelFolder() {
  UserAction a;
  a.kind = UserAction::Kind::kCancelFolder;
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::PickNode(std::string name) {
  UserAction a;
  a.kind = UserAction::Kind::kPickNode;
  a.text = std::move(name);
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::RightClick() {
  UserAction a;
  a.kind = UserAction::Kind::kRightClick;
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::CancelProgress() {
  UserAction a;
  a.kind = UserAction::Kind::kCancelProgress;
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::Idle(int times) {
  for (int i = 0; i < times; ++i) {
    UserAction a;
    a.kind = UserAction::Kind::kIdle;
    Enqueue(std::move(a));
  }
  return *this;
}

ScriptedUser& ScriptedUser::Quit() {
  UserAction a;
  a.kind = UserAction::Kind::kQuit;
  Enqueue(std::move(a));
  return *this;
}

ScriptedUser& ScriptedUser::PanelMouse(int dialog) {
  UserAction a;
  a.kind = UserAction::Kind::kPanelMouse;
  a.dialog = dialog;
  Enqueue(std::move(a));
  return *this;
}

std::vector<ShownEvent> ScriptedUser::ShownOfKind(ShownEvent::Kind kind) const {
  std::vector<ShownEvent> out;
  for (const ShownEvent& e : shown_)
    if (e.kind == kind) out.push_back(e);
  return out;
}

const DialogState* ScriptedUser::LastDialogState(int templateId) const {
  for (auto it = shown_.rbegin(); it != shown_.rend(); ++it) {
    const bool hasState = it->kind == ShownEvent::Kind::kDialogOpened ||
                          it->kind == ShownEvent::Kind::kDialogAction ||
                          it->kind == ShownEvent::Kind::kDialogClosed;
    if (hasState && (templateId == 0 || it->dialog.templateId == templateId)) return &it->dialog;
  }
  return nullptr;
}

}  // namespace modra::host
