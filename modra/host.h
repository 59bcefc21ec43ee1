#ifndef ZAR_MODRA_HOST_H_
#define ZAR_MODRA_HOST_H_

// The stand-in host: one session of Modra with its scene, time and units, selection, progress
// display, command modes, pick mode, utility panel, host-exit callbacks, windows and the
// scripted user. Constructing a Host makes it the current host, which the functions imported by
// name (GetTicksPerFrame, SuspendAnimate, the dialogs ...) act on; destroying it makes the host
// that was current before it current again. A host still holding plug-in objects (an open
// utility, a pick mode) calls them when it is destroyed: destroy it before unloading the plug-in.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "modra/scene.h"
#include "modra/scripted_user.h"
#include "modra/windows.h"
#include "sdk/modra_sdk.h"

namespace modra::host {

class Host final : public HostInterface, public UtilityPanel {
 public:
  Host();
  ~Host() override;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The host constructed last and not yet destroyed, or null.
  static Host* Current();

  Scene& scene() { return *scene_; }
  // Replaces the scene (after loading a document); ends any pick mode first.
  void ReplaceScene(std::unique_ptr<Scene> scene);
  // Replaces the scene with the scene document at `path`. Answers "" or the problem, and then
  // keeps the present scene.
  std::string LoadScene(const std::string& path);
  // Writes the scene document (atomically). Answers "" or the problem.
  std::string SaveScene(const std::string& path);
  ScriptedUser& user() { return user_; }
  WindowManager& windows() { return windows_; }

  // Processes the scripted user's actions that the running host handles (as PumpHostMessages
  // does) until none applies; answers how many were taken.
  int ProcessActions();

  // Runs a translator the way the host's import and export commands do: creates the object
  // through its descriptor, calls it, deletes it. Answers its result, or −1 when the descriptor
  // is not of the right kind or creates nothing.
  int RunImport(ClassDesc& descriptor, const std::string& file, bool suppressPrompts);
  int RunExport(ClassDesc& descriptor, const std::string& file, bool suppressPrompts,
                std::uint32_t options = 0);
  // Opens a utility in the utility panel (creating it through its descriptor); null when the
  // descriptor is not a utility's. A utility already open is closed first.
  UtilityObj* OpenUtility(ClassDesc& descriptor);
  // Closes the open utility and deletes it.
  void CloseUtility() override;
  UtilityObj* openUtility() const { return utility_; }

  // A scene tool mode the user left active (IsModeActive answers 1 until it is ended).
  void SetToolMode(std::string name) { toolMode_ = std::move(name); }
  const std::string& toolMode() const { return toolMode_; }
  void SetUIColor(int index, const Point3& colour) { uiColours_[index] = colour; }
  Point3 UIColor(int index) const;
  bool quitting() const { return quitting_; }
  bool pickModeActive() const { return pick_ != nullptr; }

  struct Progress {
    bool active = false;
    bool cancelRequested = false;
    std::string title;
    int percent = 0;
    int begun = 0;
    int ended = 0;
  };
  const Progress& progress() const { return progress_; }
  // Called with the progress display's state each time it opens, shows a new percent or ends,
  // so that a tool can draw it as it goes. An empty function stops the calls.
  void SetProgressWatcher(std::function<void(const Progress&)> watcher) {
    progressWatcher_ = std::move(watcher);
  }
  int viewportRefreshes() const { return viewportRefreshes_; }
  int forwardedMouseMessages() const { return forwardedMouse_; }
  const std::vector<WindowHandle>& panelPages() const { return pages_; }
  const std::vector<ExitModraCallback*>& exitWatchers() const { return exitWatchers_; }
  // Custom edits handed out and not yet released.
  int openCustomEdits() const { return static_cast<int>(customEdits_.size()); }
  ICustEdit* NewCustomEdit(WindowHandle control);
  bool ReleaseCustomEdit(ICustEdit* edit);

  // HostInterface.
  WindowHandle MainWindow() override { return windows_.main(); }
  int IsModeActive() override;
  void EndActiveMode() override;
  int BeginProgress(const char* title, int showBar, ProgressFunction function,
                    void* argument) override;
  void UpdateProgress(int percent, int showPercent, const char* title) override;
  void EndProgress() override;
  int ProgressCancelled() override { return progress_.cancelRequested ? 1 : 0; }
  int PumpHostMessages() override;
  TickTime CurrentTime() override { return scene_->currentTime(); }
  Interval AnimationRange() override { return scene_->animationRange(); }
  void SetAnimationRange(const Interval& range) override;
  int SelectedNodeCount() override { return static_cast<int>(scene_->selection().size()); }
  SceneNode* SelectedNode(int index) override;
  SceneEntity* MakeObject(SuperClassId superClass, ClassId classId) override;
  SceneNode* MakeNodeForObject(SceneObject* object) override;
  void RemoveNode(SceneNode* node, int redraw) override;
  void UniqueNodeName(std::string& name) override { name = scene_->UniqueName(name); }
  SceneNode* NodeByHandle(std::uint32_t handle) override;
  SceneNode* RootNode() override { return &scene_->root(); }
  void RefreshViewports(int) override { ++viewportRefreshes_; }
  void PickFolder(WindowHandle owner, char* buffer, std::size_t bufferSize,
                  const char* title) override;
  void StartNodePick(PickModeCallback* callback) override;
  void StopNodePick() override;
  WindowHandle AddPanelPage(ModuleHandle module, int templateId, DialogProc proc, const char* title,
                            std::intptr_t param, std::uint32_t flags, int category) override;
  void RemovePanelPage(WindowHandle page) override;
  void ForwardPanelMouse(WindowHandle page, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) override;
  void WatchHostExit(ExitModraCallback* callback) override;
  void UnwatchHostExit(ExitModraCallback* callback) override;

 private:
  // Takes one action PumpHostMessages handles; false when the front action is not one.
  bool TakeHostAction();
  void Note(std::string text, Outcome outcome = Outcome::kNone);

  Host* previous_ = nullptr;
  std::unique_ptr<Scene> scene_;
  ScriptedUser user_;
  WindowManager windows_;
  Progress progress_;
  std::string toolMode_;
  PickModeCallback* pick_ = nullptr;
  std::vector<WindowHandle> pages_;
  std::vector<ExitModraCallback*> exitWatchers_;
  std::vector<std::unique_ptr<ICustEdit>> customEdits_;
  std::map<int, Point3> uiColours_;
  UtilityObj* utility_ = nullptr;
  int viewportRefreshes_ = 0;
  int forwardedMouse_ = 0;
  std::function<void(const Progress&)> progressWatcher_;
  bool quitting_ = false;
};

}  // namespace modra::host

#endif  // ZAR_MODRA_HOST_H_
