#ifndef ZAR_TESTS_IMPORT_HTR_TEST_SUPPORT_H_
#define ZAR_TESTS_IMPORT_HTR_TEST_SUPPORT_H_

// What the HTR import suites share: small HTR files written on the fly, and a host that refuses
// values on purpose.

#include <cstdint>
#include <string>

#include "modra/host.h"

namespace zar::testing {

// An HTR file of three segments, Hips (the root) > Spine > Head, holding `frames` frames
// numbered from `first`. Frame k moves Hips by (k, 0, 0) and turns Spine by k degrees about X.
// `header` is added to the header section (a later keyword wins).
inline std::string HtrText(int frames, int first = 1, const std::string& header = "") {
  std::string t = "[Header]\nFileType htr\nDataType HTRS\nFileVersion 1\nNumSegments 3\n";
  t += "NumFrames " + std::to_string(frames) + "\nDataFrameRate 60\nEulerRotationOrder ZYX\n";
  t += "CalibrationUnits mm\nRotationUnits Degrees\nGlobalAxisofGravity Y\nBoneLengthAxis Y\n";
  t += header;
  t += "[SegmentNames&Hierarchy]\nHips GLOBAL\nSpine Hips\nHead Spine\n";
  t += "[BasePosition]\nHips 1 2 3 0 0 0 10\nSpine 0 10 0 0 0 0 20\nHead 0 20 0 0 0 0 5\n";
  for (const char* segment : {"Hips", "Spine", "Head"}) {
    t += std::string("[") + segment + "]\n";
    for (int k = 0; k < frames; ++k) {
      const std::string n = std::to_string(k);
      const std::string name = segment;
      t += std::to_string(first + k) + (name == "Hips"    ? " " + n + " 0 0 0 0 0 1\n"
                                        : name == "Spine" ? " 0 0 0 " + n + " 0 0 1\n"
                                                          : " 0 0 0 0 0 0 1\n");
    }
  }
  return t + "[EndOfFile]\n";
}

// A host that forwards everything to the stand-in, except that one controller of the n-th node
// it makes is locked (answers 0 to ControllerCheck), as a host may refuse a value.
class RefusingHost final : public modra::HostInterface {
 public:
  RefusingHost(modra::host::Host& host, int refusingNode, bool rotation)
      : host_(host), refusingNode_(refusingNode), rotation_(rotation) {}

  modra::SceneNode* MakeNodeForObject(modra::SceneObject* object) override {
    auto* node = static_cast<modra::host::Node*>(host_.MakeNodeForObject(object));
    if (node != nullptr && ++made_ == refusingNode_) {
      if (rotation_) {
        node->transform()->rotation()->set_locked(true);
      } else {
        node->transform()->position()->set_locked(true);
      }
    }
    return node;
  }

  modra::WindowHandle MainWindow() override { return host_.MainWindow(); }
  int IsModeActive() override { return host_.IsModeActive(); }
  void EndActiveMode() override { host_.EndActiveMode(); }
  int BeginProgress(const char* t, int b, modra::ProgressFunction f, void* a) override {
    return host_.BeginProgress(t, b, f, a);
  }
  void UpdateProgress(int p, int s, const char* t) override { host_.UpdateProgress(p, s, t); }
  void EndProgress() override { host_.EndProgress(); }
  int ProgressCancelled() override { return host_.ProgressCancelled(); }
  int PumpHostMessages() override { return host_.PumpHostMessages(); }
  modra::TickTime CurrentTime() override { return host_.CurrentTime(); }
  modra::Interval AnimationRange() override { return host_.AnimationRange(); }
  void SetAnimationRange(const modra::Interval& r) override { host_.SetAnimationRange(r); }
  int SelectedNodeCount() override { return host_.SelectedNodeCount(); }
  modra::SceneNode* SelectedNode(int i) override { return host_.SelectedNode(i); }
  modra::SceneEntity* MakeObject(modra::SuperClassId s, modra::ClassId c) override {
    return host_.MakeObject(s, c);
  }
  void RemoveNode(modra::SceneNode* n, int r) override { host_.RemoveNode(n, r); }
  void UniqueNodeName(std::string& n) override { host_.UniqueNodeName(n); }
  modra::SceneNode* NodeByHandle(std::uint32_t h) override { return host_.NodeByHandle(h); }
  modra::SceneNode* RootNode() override { return host_.RootNode(); }
  void RefreshViewports(int r) override { host_.RefreshViewports(r); }
  void PickFolder(modra::WindowHandle o, char* b, std::size_t s, const char* t) override {
    host_.PickFolder(o, b, s, t);
  }
  void StartNodePick(modra::PickModeCallback* c) override { host_.StartNodePick(c); }
  void StopNodePick() override { host_.StopNodePick(); }
  modra::WindowHandle AddPanelPage(modra::ModuleHandle m, int id, modra::DialogProc p,
                                   const char* t, std::intptr_t a, std::uint32_t f,
                                   int c) override {
    return host_.AddPanelPage(m, id, p, t, a, f, c);
  }
  void RemovePanelPage(modra::WindowHandle p) override { host_.RemovePanelPage(p); }
  void ForwardPanelMouse(modra::WindowHandle p, std::uint32_t m, std::uintptr_t w,
                         std::intptr_t l) override {
    host_.ForwardPanelMouse(p, m, w, l);
  }
  void WatchHostExit(modra::ExitModraCallback* c) override { host_.WatchHostExit(c); }
  void UnwatchHostExit(modra::ExitModraCallback* c) override { host_.UnwatchHostExit(c); }

 private:
  modra::host::Host& host_;
  int refusingNode_;
  bool rotation_;
  int made_ = 0;
};

}  // namespace zar::testing

#endif  // ZAR_TESTS_IMPORT_HTR_TEST_SUPPORT_H_
