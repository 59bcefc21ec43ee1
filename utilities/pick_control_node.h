#ifndef ZAR_UTILITIES_PICK_CONTROL_NODE_H_
#define ZAR_UTILITIES_PICK_CONTROL_NODE_H_

// The node pick of the MNM creator: one static callback serves every pick. The creator starts
// the host's pick mode with it and waits while `active` is set; a pick stores the node and ends
// the mode, a right click sets `repeat` (the same marker is asked again) and ends it.

#include <cstdint>

#include "sdk/modra_host.h"
#include "sdk/modra_plugin.h"

namespace zar {

class PickControlNode : public modra::PickModeCallback, public modra::PickNodeCallback {
 public:
  // True when the node under the cursor passes Filter.
  bool HitTest(modra::HostInterface* host, modra::WindowHandle window, modra::PickView* view,
               modra::ScreenPoint cursor, int flags) override;
  // Takes the closest hit node, clears `active` and ends the pick mode.
  bool Pick(modra::HostInterface* host, modra::PickView* view) override;
  int PickAnything() override { return 1; }
  // Sets `repeat` and ends the pick mode.
  bool RightClick(modra::HostInterface* host, modra::PickView* view) override;
  void EnterMode(modra::HostInterface* host) override;
  void ExitMode(modra::HostInterface* host) override;
  std::uintptr_t DefaultCursor() override { return 0; }
  std::uintptr_t HitCursor() override { return 0; }
  modra::PickNodeCallback* NodeFilter() override { return this; }
  int AllowMultiSelect() override { return 0; }

  // Geometry (0x10), shapes (0x40) and helpers (0x50) pass, judged at time 0; null does not.
  bool Filter(modra::SceneNode* node) override;

  bool active = false;                      // the pick mode is running
  bool repeat = false;                      // the pick mode ended by a right click
  modra::SceneNode* picked_node = nullptr;  // the node of the last pick
};

// The callback (library_entry.cpp).
extern PickControlNode pick_control_node;

}  // namespace zar

#endif  // ZAR_UTILITIES_PICK_CONTROL_NODE_H_
