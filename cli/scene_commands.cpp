// zarfileio scene info | scene keys: what a scene document holds.

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "cli/tree_indent.h"
#include "modra/scene.h"
#include "modra/scene_document.h"

namespace zar::cli {
namespace {

using modra::host::Node;
using modra::host::Scene;

// Loads the document or prints why not; false on failure.
bool Load(const std::string& path, Scene& scene) {
  const std::string problem = modra::host::LoadSceneDocument(path, scene);
  if (problem.empty()) return true;
  std::cerr << "zarfileio: " << problem << "\n";
  return false;
}

std::string ObjectKind(const Node& node) {
  modra::host::SceneObjectImpl* object = node.object();
  if (object == nullptr) return "no object";
  if (object->ClassIdentifier() == modra::kBoneObjectClassId) return "bone";
  if (object->ClassIdentifier() == modra::kSphereObjectClassId) return "sphere";
  if (object->ClassIdentifier() == modra::kPointHelperClassId) return "point";
  if (object->ClassIdentifier() == modra::kDummyHelperClassId) return "dummy";
  return "object";
}

std::string Keys(modra::Controller* controller) {
  if (controller == nullptr) return "none";
  return std::to_string(controller->KeyCount());
}

std::string RotationKind(modra::Controller* controller) {
  if (controller == nullptr) return "";
  return controller->ClassIdentifier() == modra::kTcbRotationClassId ? " (TCB)" : " (Euler)";
}

// Prints the tree below the root, children in order, indented by depth (without recursion, so a
// very deep hierarchy prints too, in output linear in its number of nodes).
void PrintTree(Scene& scene) {
  const std::vector<std::uint32_t>& selection = scene.selection();
  std::vector<std::pair<Node*, int>> stack;
  const auto& top = scene.root().children();
  for (auto it = top.rbegin(); it != top.rend(); ++it) stack.emplace_back(*it, 1);
  while (!stack.empty()) {
    auto [node, depth] = stack.back();
    stack.pop_back();
    std::string line = TreeIndent(depth);
    line += node->name() + "  " + ObjectKind(*node);
    if (modra::host::TransformController* t = node->transform()) {
      line += "  position keys " + Keys(t->position());
      line += "  rotation keys " + Keys(t->rotation()) + RotationKind(t->rotation());
      if (t->scale() != nullptr && t->scale()->KeyCount() > 0)
        line += "  scale keys " + Keys(t->scale());
    }
    for (std::uint32_t h : selection)
      if (h == node->NodeHandle()) line += "  [selected]";
    std::cout << line << "\n";
    const auto& children = node->children();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      stack.emplace_back(*it, depth + 1);
  }
}

int Info(const std::string& path) {
  Scene scene;
  if (!Load(path, scene)) return kExitFileProblem;
  const int tpf = scene.ticksPerFrame();
  const modra::Interval range = scene.animationRange();
  std::cout << "Scene          " << path << "\n";
  std::cout << "Frame rate     " << scene.frameRate() << " fps (" << tpf << " ticks per frame)\n";
  std::cout << "Range          ticks " << range.Start() << " to " << range.End() << " (frames "
            << range.Start() / tpf << " to " << range.End() / tpf << ")\n";
  std::cout << "Current time   tick " << scene.currentTime() << "\n";
  std::cout << "System unit    " << scene.millimetresPerUnit() << " mm\n";
  std::cout << "Nodes          " << scene.nodes().size() << "\n";
  PrintTree(scene);
  return kExitOk;
}

std::string Number(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
  return text;
}

int KeyList(const std::string& path, const std::string& name) {
  Scene scene;
  if (!Load(path, scene)) return kExitFileProblem;
  Node* node = scene.FindByName(name);
  if (node == nullptr) {
    std::cerr << "zarfileio: scene " << path << " has no node named " << name << "\n";
    return kExitFileProblem;
  }
  modra::host::TransformController* t = node->transform();
  if (t == nullptr) return kExitOk;
  if (modra::host::PointController* p = t->position()) {
    for (const auto& [tick, v] : p->keys())
      std::cout << "P " << tick << " " << Number(v.x) << " " << Number(v.y) << " " << Number(v.z)
                << "\n";
  }
  if (modra::host::RotationController* r = t->rotation()) {
    for (const auto& [tick, q] : r->QuatKeys())
      std::cout << "R " << tick << " " << Number(q.x) << " " << Number(q.y) << " " << Number(q.z)
                << " " << Number(q.w) << "\n";
  }
  return kExitOk;
}

}  // namespace

void AddSceneCommands(CLI::App& app) {
  CLI::App* scene = app.add_subcommand("scene", "Inspect a scene document of the stand-in host");
  scene->require_subcommand(1);

  auto infoPath = std::make_shared<std::string>();
  CLI::App* info = scene->add_subcommand(
      "info",
      "The node tree with object kinds and key counts, the animation range and the frame "
      "rate");
  info->add_option("SCENE", *infoPath, "Scene document")->required();
  info->callback([infoPath] { FinishCommand(Info(*infoPath)); });

  auto keysPath = std::make_shared<std::string>();
  auto keysNode = std::make_shared<std::string>();
  CLI::App* keys = scene->add_subcommand(
      "keys",
      "One line per key of NODE: 'P <tick> <x> <y> <z>' for position keys, then "
      "'R <tick> <x> <y> <z> <w>' for rotation keys (the host quaternion; Euler keys as the "
      "quaternion of their angles), numbers as %.6f");
  keys->add_option("SCENE", *keysPath, "Scene document")->required();
  keys->add_option("NODE", *keysNode, "Node name (the first node with that name)")->required();
  keys->callback([keysPath, keysNode] { FinishCommand(KeyList(*keysPath, *keysNode)); });
}

}  // namespace zar::cli
