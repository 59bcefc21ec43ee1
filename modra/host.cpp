// The stand-in host session and the functions imported by name that act on the current host.

#include "modra/host.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "modra/scene_document.h"

namespace modra::host {
namespace {

Host* g_current = nullptr;

// The viewport of one scripted pick: the node under the cursor is the node the user named.
class NamedPickView final : public PickView {
 public:
  NamedPickView(Scene& scene, std::string name) : scene_(scene), name_(std::move(name)) {}

  SceneNode* HitNode(WindowHandle, ScreenPoint, PickNodeCallback* filter) override {
    Node* node = name_.empty() ? nullptr : scene_.FindByName(name_);
    if (node == nullptr) return nullptr;
    if (filter != nullptr && !filter->Filter(node)) return nullptr;
    hit_ = node;
    return node;
  }
  SceneNode* ClosestHitNode() override { return hit_; }

 private:
  Scene& scene_;
  std::string name_;
  SceneNode* hit_ = nullptr;
};

// The host's numeric edit control, bound to a control window of a dialog or page.
class CustomEdit final : public ICustEdit {
 public:
  CustomEdit(WindowManager& windows, WindowHandle control) : windows_(windows), control_(control) {}

  void SetText(const char* text) override {
    if (HostWindow* c = Live()) c->text = text ? text : "";
  }
  int GetText(char* buffer, int maxCount) override {
    HostWindow* c = Live();
    if (c == nullptr || buffer == nullptr || maxCount < 1) return 0;
    const std::size_t n = std::min(c->text.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(buffer, c->text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
  }
  float GetFloat(bool* valid) override {
    if (valid != nullptr) *valid = false;
    HostWindow* c = Live();
    if (c == nullptr) return 0.0f;
    std::string_view s = c->text;
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] =
        std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return 0.0f;
    if (valid != nullptr) *valid = true;
    return static_cast<float>(value);
  }

 private:
  HostWindow* Live() const {
    return windows_.Alive(control_) && control_->kind == HostWindow::Kind::kControl ? control_
                                                                                    : nullptr;
  }
  WindowManager& windows_;
  WindowHandle control_;
};

}  // namespace

Host::Host() : previous_(g_current), scene_(std::make_unique<Scene>()), windows_(user_) {
  g_current = this;
}

Host::~Host() {
  if (utility_ != nullptr) CloseUtility();
  StopNodePick();
  if (g_current == this) g_current = previous_;
}

Host* Host::Current() { return g_current; }

void Host::ReplaceScene(std::unique_ptr<Scene> scene) {
  if (!scene) return;
  StopNodePick();
  scene_ = std::move(scene);
}

std::string Host::LoadScene(const std::string& path) {
  auto scene = std::make_unique<Scene>();
  std::string problem = LoadSceneDocument(path, *scene);
  if (problem.empty()) ReplaceScene(std::move(scene));
  return problem;
}

std::string Host::SaveScene(const std::string& path) { return SaveSceneDocument(*scene_, path); }

void Host::Note(std::string text, Outcome outcome) {
  ShownEvent e;
  e.kind = ShownEvent::Kind::kNote;
  e.outcome = outcome;
  e.text = std::move(text);
  user_.Record(std::move(e));
}

Point3 Host::UIColor(int index) const {
  auto it = uiColours_.find(index);
  if (it != uiColours_.end()) return it->second;
  if (index == kColourBone) return {0.78f, 0.47f, 0.12f};
  return {0.5f, 0.5f, 0.5f};
}

// ---------------------------------------------------------------------------------------------
// Command modes, progress, message pump

int Host::IsModeActive() { return pick_ != nullptr || !toolMode_.empty() ? 1 : 0; }

void Host::EndActiveMode() {
  StopNodePick();
  toolMode_.clear();
}

int Host::BeginProgress(const char* title, int, ProgressFunction function, void* argument) {
  if (progress_.active) Note("progress display opened while one was open");
  progress_.active = true;
  progress_.cancelRequested = false;
  progress_.title = title ? title : "";
  progress_.percent = 0;
  ++progress_.begun;
  ShownEvent e;
  e.kind = ShownEvent::Kind::kProgressBegin;
  e.text = progress_.title;
  user_.Record(std::move(e));
  if (progressWatcher_) progressWatcher_(progress_);
  if (function != nullptr) function(argument);
  return 1;
}

void Host::UpdateProgress(int percent, int, const char* title) {
  if (!progress_.active) {
    Note("progress update without a progress display");
    return;
  }
  progress_.percent = percent;
  if (title != nullptr) progress_.title = title;
  ShownEvent e;
  e.kind = ShownEvent::Kind::kProgressUpdate;
  e.text = progress_.title;
  e.number = percent;
  user_.Record(std::move(e));
  if (progressWatcher_) progressWatcher_(progress_);
}

void Host::EndProgress() {
  if (!progress_.active) {
    Note("progress display ended twice");
    return;
  }
  progress_.active = false;
  progress_.cancelRequested = false;
  ++progress_.ended;
  ShownEvent e;
  e.kind = ShownEvent::Kind::kProgressEnd;
  e.text = progress_.title;
  user_.Record(std::move(e));
  if (progressWatcher_) progressWatcher_(progress_);
}

bool Host::TakeHostAction() {
  const UserAction* front = user_.Front();
  if (front == nullptr) return false;
  const UserAction action = *front;
  switch (action.kind) {
    case UserAction::Kind::kIdle:
      user_.Pop();
      return true;
    case UserAction::Kind::kCancelProgress:
      user_.Pop();
      if (progress_.active)
        progress_.cancelRequested = true;
      else
        Note("cancel pressed with no progress display open");
      return true;
    case UserAction::Kind::kQuit: {
      user_.Pop();
      bool allowed = true;
      const auto watchers = exitWatchers_;
      for (ExitModraCallback* cb : watchers)
        if (cb->HostExiting(MainWindow()) == 0) allowed = false;
      if (allowed) quitting_ = true;
      Note(allowed ? "host quitting" : "a host-exit callback kept the host running");
      return true;
    }
    case UserAction::Kind::kPickNode:
    case UserAction::Kind::kRightClick: {
      user_.Pop();
      ShownEvent e;
      e.kind = ShownEvent::Kind::kPick;
      e.text = action.text;
      PickModeCallback* cb = pick_;
      if (cb == nullptr) {
        e.outcome = Outcome::kIgnored;
        e.detail = "ignored: no pick mode";
        user_.Record(std::move(e));
        return true;
      }
      NamedPickView view(*scene_, action.text);
      if (action.kind == UserAction::Kind::kRightClick) {
        const bool ends = cb->RightClick(this, &view);
        e.outcome = ends ? Outcome::kRightClickEnded : Outcome::kRightClick;
        e.detail = ends ? "right click ended the pick mode" : "right click";
        if (ends && pick_ == cb) StopNodePick();
      } else if (!cb->HitTest(this, windows_.main(), &view, ScreenPoint{}, 0)) {
        e.outcome = Outcome::kMissed;
        e.detail = "missed";
      } else {
        const bool ends = cb->Pick(this, &view);
        e.outcome = ends ? Outcome::kPicked : Outcome::kPickedModeGoesOn;
        e.detail = ends ? "picked" : "picked, pick mode goes on";
        if (ends && pick_ == cb) StopNodePick();
      }
      user_.Record(std::move(e));
      return true;
    }
    case UserAction::Kind::kPanelMouse: {
      user_.Pop();
      HostWindow* page = windows_.Target(action.dialog);
      if (page == nullptr)
        Note("no panel page for the mouse");
      else
        windows_.Send(page, kMessageMouseMove, 0, 0);
      return true;
    }
    case UserAction::Kind::kFillEdit:
    case UserAction::Kind::kTick:
    case UserAction::Kind::kPress:
    case UserAction::Kind::kCloseDialog: {
      HostWindow* target = windows_.Target(action.dialog);
      if (target == nullptr || target->modal) return false;
      user_.Pop();
      windows_.Apply(target, action);
      return true;
    }
    default:
      return false;
  }
}

int Host::PumpHostMessages() {
  const bool took = TakeHostAction();
  if (!took && pick_ != nullptr) {
    Note("nothing left to pick: the pick mode ends", Outcome::kPicksRanOut);
    StopNodePick();
  }
  return quitting_ ? 0 : 1;
}

int Host::ProcessActions() {
  int taken = 0;
  while (TakeHostAction()) ++taken;
  return taken;
}

// ---------------------------------------------------------------------------------------------
// Scene

void Host::SetAnimationRange(const Interval& range) {
  if (range.End() < range.Start()) {
    Note("animation range ignored: its end lies before its start");
    return;
  }
  scene_->set_animationRange(range);
}

SceneNode* Host::SelectedNode(int index) {
  const auto& sel = scene_->selection();
  if (index < 0 || index >= static_cast<int>(sel.size())) return nullptr;
  return scene_->FindByHandle(sel[static_cast<std::size_t>(index)]);
}

SceneEntity* Host::MakeObject(SuperClassId superClass, ClassId classId) {
  return scene_->MakeEntity(superClass, classId);
}

SceneNode* Host::MakeNodeForObject(SceneObject* object) {
  auto* impl = dynamic_cast<SceneObjectImpl*>(object);
  if (impl == nullptr) return nullptr;
  return scene_->MakeNode(impl, "");
}

void Host::RemoveNode(SceneNode* node, int) {
  auto* impl = dynamic_cast<Node*>(node);
  if (impl != nullptr) scene_->RemoveNode(impl);
}

SceneNode* Host::NodeByHandle(std::uint32_t handle) { return scene_->FindByHandle(handle); }

// ---------------------------------------------------------------------------------------------
// Folder picker, pick mode, panel, exit callbacks

void Host::PickFolder(WindowHandle, char* buffer, std::size_t bufferSize, const char* title) {
  ShownEvent e;
  e.kind = ShownEvent::Kind::kFolderDialog;
  e.text = title ? title : "";
  const UserAction* front = user_.Front();
  if (front != nullptr && front->kind == UserAction::Kind::kChooseFolder) {
    const std::string path = front->text;
    user_.Pop();
    std::error_code ec;
    e.outcome = Outcome::kCancelled;
    if (!std::filesystem::is_directory(path, ec)) {
      e.detail = "cancelled: no such folder " + path;
    } else if (buffer == nullptr || path.size() + 1 > bufferSize) {
      e.detail = "cancelled: the path does not fit the buffer";
    } else {
      std::memcpy(buffer, path.c_str(), path.size() + 1);
      e.outcome = Outcome::kChosen;
      e.detail = path;
    }
  } else {
    if (front != nullptr && front->kind == UserAction::Kind::kCancelFolder) user_.Pop();
    e.outcome = Outcome::kCancelled;
    e.detail = "cancelled";
  }
  user_.Record(std::move(e));
}

void Host::StartNodePick(PickModeCallback* callback) {
  EndActiveMode();
  if (callback == nullptr) return;
  pick_ = callback;
  callback->EnterMode(this);
}

void Host::StopNodePick() {
  PickModeCallback* cb = pick_;
  if (cb == nullptr) return;
  pick_ = nullptr;
  cb->ExitMode(this);
}

WindowHandle Host::AddPanelPage(ModuleHandle module, int templateId, DialogProc proc,
                                const char* title, std::intptr_t param, std::uint32_t, int) {
  const DialogTemplate* layout = FindDialogTemplate(module, templateId);
  if (layout == nullptr || proc == nullptr) {
    Note("panel page " + std::to_string(templateId) + " could not be made");
    return nullptr;
  }
  DialogTemplate copy = *layout;
  if (title != nullptr) copy.title = title;
  HostWindow* page = windows_.Create(copy, windows_.main(), proc, false, true);
  pages_.push_back(page);
  windows_.Initialise(page, param);
  return page;
}

void Host::RemovePanelPage(WindowHandle page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  windows_.Destroy(windows_.Dialog(page));
}

void Host::ForwardPanelMouse(WindowHandle page, std::uint32_t, std::uintptr_t, std::intptr_t) {
  if (std::find(pages_.begin(), pages_.end(), page) != pages_.end()) ++forwardedMouse_;
}

void Host::WatchHostExit(ExitModraCallback* callback) {
  if (callback != nullptr &&
      std::find(exitWatchers_.begin(), exitWatchers_.end(), callback) == exitWatchers_.end())
    exitWatchers_.push_back(callback);
}

void Host::UnwatchHostExit(ExitModraCallback* callback) {
  exitWatchers_.erase(std::remove(exitWatchers_.begin(), exitWatchers_.end(), callback),
                      exitWatchers_.end());
}

ICustEdit* Host::NewCustomEdit(WindowHandle control) {
  if (!windows_.Alive(control) || control->kind != HostWindow::Kind::kControl ||
      control->controlKind != ControlKind::kCustomEdit)
    return nullptr;
  customEdits_.push_back(std::make_unique<CustomEdit>(windows_, control));
  return customEdits_.back().get();
}

bool Host::ReleaseCustomEdit(ICustEdit* edit) {
  auto it = std::find_if(customEdits_.begin(), customEdits_.end(),
                         [edit](const std::unique_ptr<ICustEdit>& e) { return e.get() == edit; });
  if (it == customEdits_.end()) return false;
  customEdits_.erase(it);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Running plug-in classes

int Host::RunImport(ClassDesc& descriptor, const std::string& file, bool suppressPrompts) {
  if (descriptor.SuperClassID() != kSceneImportClass) return -1;
  auto* importer = static_cast<SceneImport*>(descriptor.Create(0));
  if (importer == nullptr) return -1;
  const int result = importer->DoImport(file.c_str(), nullptr, this, suppressPrompts ? 1 : 0);
  delete importer;
  return result;
}

int Host::RunExport(ClassDesc& descriptor, const std::string& file, bool suppressPrompts,
                    std::uint32_t options) {
  if (descriptor.SuperClassID() != kSceneExportClass) return -1;
  auto* exporter = static_cast<SceneExport*>(descriptor.Create(0));
  if (exporter == nullptr) return -1;
  const int result =
      exporter->DoExport(file.c_str(), nullptr, this, suppressPrompts ? 1 : 0, options);
  delete exporter;
  return result;
}

UtilityObj* Host::OpenUtility(ClassDesc& descriptor) {
  if (descriptor.SuperClassID() != kUtilityClass) return nullptr;
  if (utility_ != nullptr) CloseUtility();
  auto* utility = static_cast<UtilityObj*>(descriptor.Create(0));
  if (utility == nullptr) return nullptr;
  utility_ = utility;
  utility->OpenPanel(this, this);
  return utility;
}

void Host::CloseUtility() {
  UtilityObj* utility = utility_;
  if (utility == nullptr) return;
  utility_ = nullptr;
  utility->ClosePanel(this, this);
  utility->Release();
  delete utility;
}

}  // namespace modra::host

// -------------------------------------------------------------------------------------------------
// Functions imported by name

namespace modra {

using host::Host;

int GetTicksPerFrame() {
  Host* h = Host::Current();
  return h ? h->scene().ticksPerFrame() : kTicksPerSecond / 30;
}

void SetFrameRate(int framesPerSecond) {
  if (Host* h = Host::Current()) h->scene().set_frameRate(framesPerSecond);
}

int GetFrameRate() {
  Host* h = Host::Current();
  return h ? h->scene().frameRate() : 30;
}

double GetMasterScale(int unitType) {
  Host* h = Host::Current();
  const double mm = h ? h->scene().millimetresPerUnit() : 1.0;
  switch (unitType) {
    case kUnitInches:
      return mm / 25.4;
    case kUnitFeet:
      return mm / 304.8;
    case kUnitMiles:
      return mm / 1609344.0;
    case kUnitMillimetres:
      return mm;
    case kUnitCentimetres:
      return mm / 10.0;
    case kUnitMetres:
      return mm / 1000.0;
    case kUnitKilometres:
      return mm / 1000000.0;
    default:
      return 1.0;
  }
}

void SuspendAnimate() {
  if (Host* h = Host::Current()) h->scene().animate().Suspend();
}
void ResumeAnimate() {
  if (Host* h = Host::Current()) h->scene().animate().Resume();
}
void AnimateOn() {
  if (Host* h = Host::Current()) h->scene().animate().on = true;
}
void AnimateOff() {
  if (Host* h = Host::Current()) h->scene().animate().on = false;
}
bool IsAnimating() {
  Host* h = Host::Current();
  return h != nullptr && h->scene().animate().on;
}
void SuspendSetKeyMode() {
  if (Host* h = Host::Current()) h->scene().setKey().Suspend();
}
void ResumeSetKeyMode() {
  if (Host* h = Host::Current()) h->scene().setKey().Resume();
}
bool IsSetKeyMode() {
  Host* h = Host::Current();
  return h != nullptr && h->scene().setKey().on;
}

Point3 GetUIColor(int index) {
  Host* h = Host::Current();
  return h ? h->UIColor(index) : Point3(0.5f, 0.5f, 0.5f);
}

void CenterWindow(WindowHandle dialog, WindowHandle) {
  Host* h = Host::Current();
  if (h == nullptr) return;
  if (HostWindow* d = h->windows().Dialog(dialog)) d->centred = true;
}

ICustEdit* GetICustEdit(WindowHandle control) {
  Host* h = Host::Current();
  return h ? h->NewCustomEdit(control) : nullptr;
}

void ReleaseICustEdit(ICustEdit* edit) {
  if (Host* h = Host::Current()) h->ReleaseCustomEdit(edit);
}

}  // namespace modra
