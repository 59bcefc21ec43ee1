#include "scene/scene_nodes.h"

#include <algorithm>

namespace zar::scene {

using modra::host::Node;
using modra::host::Scene;

std::string NodePath(Scene& scene, const Node& node) {
  std::string path = node.name();
  for (const Node* up = node.parent(); up != nullptr && up != &scene.root(); up = up->parent())
    path = up->name() + "/" + path;
  return path;
}

Node* FindNode(Scene& scene, const std::string& wanted, std::string_view action,
               std::string& note) {
  note.clear();
  if (Node* named = scene.FindByName(wanted)) {
    std::size_t same = 0;
    for (const Node* node : scene.nodes()) same += node->name() == wanted ? 1U : 0U;
    if (same > 1) {
      note = std::to_string(same) + " nodes are named " + wanted + "; ";
      note.append(action).append(" ").append(NodePath(scene, *named));
      note += " (name another by its path)";
    }
    return named;
  }
  Node* node = &scene.root();
  std::size_t start = 0;
  while (node != nullptr && start <= wanted.size()) {
    const std::size_t end = std::min(wanted.find('/', start), wanted.size());
    const std::string step = wanted.substr(start, end - start);
    Node* next = nullptr;
    for (Node* child : node->children()) {
      if (child->name() == step) {
        next = child;
        break;
      }
    }
    node = next;
    start = end + 1;
  }
  if (node == nullptr || wanted.find('/') == std::string::npos) {
    note = "no node named " + wanted;
    return nullptr;
  }
  return node;
}

}  // namespace zar::scene
