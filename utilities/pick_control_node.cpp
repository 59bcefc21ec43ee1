#include "utilities/pick_control_node.h"

namespace zar {

bool PickControlNode::HitTest(modra::HostInterface* /*host*/, modra::WindowHandle window,
                              modra::PickView* view, modra::ScreenPoint cursor, int /*flags*/) {
  return view != nullptr && view->HitNode(window, cursor, NodeFilter()) != nullptr;
}

bool PickControlNode::Pick(modra::HostInterface* /*host*/, modra::PickView* view) {
  picked_node = view != nullptr ? view->ClosestHitNode() : nullptr;
  active = false;
  return true;
}

bool PickControlNode::RightClick(modra::HostInterface* /*host*/, modra::PickView* /*view*/) {
  repeat = true;
  return true;
}

void PickControlNode::EnterMode(modra::HostInterface* /*host*/) { active = true; }

void PickControlNode::ExitMode(modra::HostInterface* /*host*/) { active = false; }

bool PickControlNode::Filter(modra::SceneNode* node) {
  if (node == nullptr) return false;
  const modra::SuperClassId kind = node->NodeObjectKind(0);
  return kind == modra::kGeometryClass || kind == modra::kShapeClass || kind == modra::kHelperClass;
}

}  // namespace zar
