// The platform's dialog, message-box and file-dialog functions, acting on the current host's
// windows and scripted user.

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "modra/host.h"
#include "sdk/modra_platform.h"

namespace modra {
namespace {

using host::Host;
using host::Outcome;
using host::ShownEvent;
using host::UserAction;

host::WindowManager* Windows() {
  Host* h = Host::Current();
  return h ? &h->windows() : nullptr;
}

HostWindow* LiveDialog(WindowHandle dialog) {
  host::WindowManager* w = Windows();
  return w ? w->Dialog(dialog) : nullptr;
}

HostWindow* LiveControl(WindowHandle dialog, int id) {
  host::WindowManager* w = Windows();
  return w ? w->Control(dialog, id) : nullptr;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Checks a chosen path against the dialog's flags; empty when acceptable, else why not.
std::string Refusal(const FileDialogRequest& request, const std::filesystem::path& path,
                    bool save) {
  std::error_code ec;
  if ((request.flags & kFileMustExist) && !std::filesystem::is_regular_file(path, ec))
    return "no such file " + path.string();
  if ((request.flags & (kFilePathMustExist | kFileMustExist)) || save) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    if (!std::filesystem::is_directory(folder, ec)) return "no such folder " + folder.string();
  }
  return "";
}

// Runs an open or save dialog against the scripted user.
bool RunFileDialog(const FileDialogRequest& request, FileDialogResult& result, bool save) {
  Host* h = Host::Current();
  if (h == nullptr) return false;
  host::ScriptedUser& user = h->user();
  ShownEvent e;
  e.kind = ShownEvent::Kind::kFileDialog;
  e.text = request.title;
  e.caption = save ? "save" : "open";
  auto finish = [&](bool chosen, std::string detail) {
    e.outcome = chosen ? Outcome::kChosen : Outcome::kCancelled;
    e.detail = std::move(detail);
    user.Record(std::move(e));
    return chosen;
  };
  const UserAction* front = user.Front();
  if (front == nullptr || front->kind != UserAction::Kind::kChooseFiles || front->paths.empty()) {
    if (front != nullptr && front->kind == UserAction::Kind::kCancelFileDialog) user.Pop();
    return finish(false, "cancelled");
  }
  std::vector<std::filesystem::path> paths(front->paths.begin(), front->paths.end());
  user.Pop();
  const bool multi = (request.flags & kFileAllowMultiSelect) != 0 && !save;
  if (!multi && paths.size() > 1)
    return finish(false, "cancelled: several files in a single-file dialog");
  for (auto& p : paths) {
    if (!p.has_extension() && !request.defaultExtension.empty())
      p += "." + request.defaultExtension;
    const std::string why = Refusal(request, p, save);
    if (!why.empty()) return finish(false, "cancelled: " + why);
  }
  if (multi && paths.size() > 1) {
    const std::filesystem::path folder = paths[0].parent_path();
    for (const auto& p : paths)
      if (p.parent_path() != folder)
        return finish(false, "cancelled: the files are not in one folder");
  }
  if (save && (request.flags & kFileOverwritePrompt)) {
    std::error_code ec;
    if (std::filesystem::exists(paths[0], ec)) {
      const std::string question =
          paths[0].string() + " already exists.\nDo you want to replace it?";
      if (ShowMessageBox(request.owner, question.c_str(), request.title.c_str(),
                         kMessageBoxYesNo) != kAnswerYes)
        return finish(false, "cancelled: not replacing " + paths[0].string());
    }
  }
  std::string buffer;
  std::size_t fileOffset = 0;
  if (multi && paths.size() > 1) {
    buffer = paths[0].parent_path().string();
    buffer.push_back('\0');
    fileOffset = buffer.size();
    for (const auto& p : paths) {
      buffer += p.filename().string();
      buffer.push_back('\0');
    }
    buffer.push_back('\0');
  } else {
    buffer = paths[0].string();
    std::size_t cut = buffer.size();
    while (cut > 0 && !IsSeparator(buffer[cut - 1])) --cut;
    fileOffset = cut;
    buffer.push_back('\0');
    if (multi) buffer.push_back('\0');  // the list's final terminator
  }
  if (buffer.size() > request.bufferSize)
    return finish(false, "cancelled: the result does not fit the buffer");
  result.buffer = buffer;
  result.fileOffset = fileOffset;
  const std::string first(buffer.c_str() + fileOffset);
  const std::size_t dot = first.rfind('.');
  result.extensionOffset = dot == std::string::npos ? 0 : fileOffset + dot + 1;
  std::string shown;
  for (char c : buffer) shown.push_back(c == '\0' ? '|' : c);
  return finish(true, shown);
}

}  // namespace

std::intptr_t RunModalDialog(ModuleHandle module, int templateId, WindowHandle owner,
                             DialogProc proc, std::intptr_t param) {
  host::WindowManager* w = Windows();
  const DialogTemplate* layout = FindDialogTemplate(module, templateId);
  if (w == nullptr || layout == nullptr || proc == nullptr) return -1;
  HostWindow* dialog = w->Create(*layout, owner, proc, true, false);
  w->Initialise(dialog, param);
  return w->RunModal(dialog);
}

WindowHandle CreateModelessDialog(ModuleHandle module, int templateId, WindowHandle owner,
                                  DialogProc proc, std::intptr_t param) {
  host::WindowManager* w = Windows();
  const DialogTemplate* layout = FindDialogTemplate(module, templateId);
  if (w == nullptr || layout == nullptr || proc == nullptr) return nullptr;
  HostWindow* dialog = w->Create(*layout, owner, proc, false, false);
  w->Initialise(dialog, param);
  return w->Dialog(dialog);
}

bool DestroyDialog(WindowHandle dialog) {
  HostWindow* d = LiveDialog(dialog);
  if (d == nullptr) return false;
  Host* h = Host::Current();
  auto& pages = h->panelPages();
  if (std::find(pages.begin(), pages.end(), d) != pages.end()) {
    h->RemovePanelPage(d);
    return true;
  }
  if (d->modal) {
    // A modal dialog ends through its loop; destroying it from outside ends it with 0.
    d->ended = true;
    return true;
  }
  h->windows().Destroy(d);
  return true;
}

bool ShowDialog(WindowHandle dialog, bool show) {
  HostWindow* d = LiveDialog(dialog);
  if (d == nullptr) return false;
  d->visible = show;
  return true;
}

std::intptr_t SendDialogMessage(WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
  HostWindow* d = LiveDialog(dialog);
  return d ? Windows()->Send(d, message, wParam, lParam) : 0;
}

bool EndDialog(WindowHandle dialog, std::intptr_t result) {
  HostWindow* d = LiveDialog(dialog);
  if (d == nullptr) return false;
  if (!d->modal) return DestroyDialog(dialog);
  d->result = result;
  d->ended = true;
  return true;
}

void SetWindowUserData(WindowHandle window, std::intptr_t data) {
  host::WindowManager* w = Windows();
  if (w != nullptr && w->Alive(window)) window->userData = data;
}

std::intptr_t WindowUserData(WindowHandle window) {
  host::WindowManager* w = Windows();
  return w != nullptr && w->Alive(window) ? window->userData : 0;
}

WindowHandle ParentWindow(WindowHandle window) {
  host::WindowManager* w = Windows();
  if (w == nullptr || !w->Alive(window)) return nullptr;
  return w->Alive(window->owner) ? window->owner : nullptr;
}

WindowHandle DialogItem(WindowHandle dialog, int id) { return LiveControl(dialog, id); }

WindowHandle ActiveWindow() {
  host::WindowManager* w = Windows();
  return w ? w->Active() : nullptr;
}

bool CheckRadioButton(WindowHandle dialog, int firstId, int lastId, int checkId) {
  HostWindow* d = LiveDialog(dialog);
  if (d == nullptr) return false;
  for (const auto& c : d->controls) {
    if (c->id < firstId || c->id > lastId) continue;
    if (c->controlKind != ControlKind::kRadioButton && c->id != checkId) continue;
    c->checked = c->id == checkId ? 1 : 0;
  }
  return true;
}

unsigned IsButtonChecked(WindowHandle dialog, int id) {
  HostWindow* c = LiveControl(dialog, id);
  return c ? c->checked : 0;
}

bool SetButtonCheck(WindowHandle dialog, int id, unsigned state) {
  HostWindow* c = LiveControl(dialog, id);
  if (c == nullptr) return false;
  c->checked = state;
  return true;
}

bool EnableControl(WindowHandle dialog, int id, bool enable) {
  HostWindow* c = LiveControl(dialog, id);
  if (c == nullptr) return false;
  c->enabled = enable;
  return true;
}

bool IsControlEnabled(WindowHandle dialog, int id) {
  HostWindow* c = LiveControl(dialog, id);
  return c != nullptr && c->enabled;
}

int GetControlText(WindowHandle dialog, int id, char* buffer, int maxCount) {
  HostWindow* c = LiveControl(dialog, id);
  if (buffer == nullptr || maxCount < 1) return 0;
  if (c == nullptr) {
    buffer[0] = '\0';
    return 0;
  }
  const std::size_t n = std::min(c->text.size(), static_cast<std::size_t>(maxCount) - 1);
  std::memcpy(buffer, c->text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

bool SetControlText(WindowHandle dialog, int id, const char* text) {
  HostWindow* c = LiveControl(dialog, id);
  if (c == nullptr) return false;
  c->text = text ? text : "";
  return true;
}

int ShowMessageBox(WindowHandle, const char* text, const char* caption, std::uint32_t type) {
  const bool yesNo = (type & 0xF) == kMessageBoxYesNo;
  int answer = yesNo ? kAnswerYes : kAnswerOk;
  Host* h = Host::Current();
  if (h == nullptr) return answer;
  host::ScriptedUser& user = h->user();
  const UserAction* front = user.Front();
  if (front != nullptr && front->kind == UserAction::Kind::kAnswer) {
    const int given = front->answer;
    user.Pop();
    if (yesNo && (given == kAnswerYes || given == kAnswerNo)) answer = given;
    // An OK box has one button: whatever the user meant, the answer is OK.
  }
  ShownEvent e;
  e.kind = ShownEvent::Kind::kMessageBox;
  e.text = text ? text : "";
  e.caption = caption ? caption : "";
  e.question = yesNo;
  e.detail = yesNo ? "yesno" : "ok";
  e.number = answer;
  user.Record(std::move(e));
  return answer;
}

bool ShowOpenFileDialog(const FileDialogRequest& request, FileDialogResult& result) {
  return RunFileDialog(request, result, false);
}

bool ShowSaveFileDialog(const FileDialogRequest& request, FileDialogResult& result) {
  return RunFileDialog(request, result, true);
}

void SplitFilename(const std::string& path, std::string* folder, std::string* name,
                   std::string* extension) {
  std::size_t cut = path.size();
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  const std::string file = path.substr(cut);
  const std::size_t dot = file.rfind('.');
  if (folder != nullptr) *folder = cut > 0 ? path.substr(0, cut - 1) : "";
  if (name != nullptr) *name = dot == std::string::npos ? file : file.substr(0, dot);
  if (extension != nullptr) *extension = dot == std::string::npos ? "" : file.substr(dot);
}

}  // namespace modra
