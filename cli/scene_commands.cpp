// zarfileio scene info | scene keys: what a scene document holds.

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/load_scene.h"
#include "cli/tree_indent.h"
#include "modra/scene.h"
#include "scene/scene_nodes.h"

namespace zar::cli {

using scene::FindNode;
using scene::NodePath;
namespace {

using modra::host::Node;
using modra::host::Scene;

// Loads the document or prints why not; false on failure.
bool Load(const std::string& path, Scene& scene) {
  const std::string problem = LoadScene(path, scene);
  if (!problem.empty()) std::cerr << "zarfileio: " << problem << "\n";
  return problem.empty();
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

// The node a user names (see FindNode), or null after saying there is none.
Node* FindNamedNode(Scene& scene, const std::string& path, const std::string& wanted) {
  std::string note;
  Node* node = FindNode(scene, wanted, "showing", note);
  if (node == nullptr) {
    std::cerr << "zarfileio: scene " << path << " has " << note << "\n";
  } else if (!note.empty()) {
    std::cerr << "zarfileio: " << note << "\n";
  }
  return node;
}

struct KeysOptions {
  std::string path;
  std::string node;
  bool seconds = false;
};

int KeyList(const KeysOptions& options) {
  Scene scene;
  if (!Load(options.path, scene)) return kExitFileProblem;
  Node* node = FindNamedNode(scene, options.path, options.node);
  if (node == nullptr) return kExitFileProblem;
  // The header goes to stderr: standard output stays one key per line for other programs.
  std::cerr << "node " << NodePath(scene, *node) << ", units " << scene.millimetresPerUnit()
            << " mm, " << modra::kTicksPerSecond << " ticks per second, times in "
            << (options.seconds ? "seconds" : "ticks") << "\n";
  const auto time = [&](modra::TickTime tick) {
    if (!options.seconds) return std::to_string(tick);
    char text[64];
    std::snprintf(text, sizeof text, "%.6f",
                  static_cast<double>(tick) / static_cast<double>(modra::kTicksPerSecond));
    return std::string(text);
  };
  modra::host::TransformController* t = node->transform();
  if (t == nullptr) return kExitOk;
  if (modra::host::PointController* p = t->position()) {
    for (const auto& [tick, v] : p->keys())
      std::cout << "P " << time(tick) << " " << Number(v.x) << " " << Number(v.y) << " "
                << Number(v.z) << "\n";
  }
  if (modra::host::RotationController* r = t->rotation()) {
    for (const auto& [tick, q] : r->QuatKeys())
      std::cout << "R " << time(tick) << " " << Number(q.x) << " " << Number(q.y) << " "
                << Number(q.z) << " " << Number(q.w) << "\n";
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
      "Print the frame rate, the animation range, the system unit and the node tree, with each "
      "node's object kind and key counts.");
  info->add_option("SCENE", *infoPath, "Scene document")->required();
  info->callback([infoPath] { FinishCommand(Info(*infoPath)); });
  SetExamples(*info, {"zarfileio scene info fight.json"});

  auto keys_options = std::make_shared<KeysOptions>();
  CLI::App* keys = scene->add_subcommand(
      "keys",
      "Print the keys of NODE: a header line on standard error ('node PATH, units ..., ticks "
      "per second, times in ...'), then one line per key on standard output, 'P <time> <x> <y> "
      "<z>' for position keys and "
      "'R <time> <x> <y> <z> <w>' for rotation keys (the host quaternion; Euler keys as the "
      "quaternion of their angles), numbers as %.6f. NODE is a name (the first node of that "
      "name) or a path of names from the top of the scene, such as TRCCloud001/Head.");
  keys->add_option("SCENE", keys_options->path, "Scene document")->required();
  keys->add_option("NODE", keys_options->node, "Node name or path")->required();
  keys->add_flag("--seconds", keys_options->seconds, "Times in seconds instead of ticks");
  keys->callback([keys_options] { FinishCommand(KeyList(*keys_options)); });
  SetExamples(*keys, {"zarfileio scene keys cloud.json TRCCloud001/Head --seconds"});
}

}  // namespace zar::cli
