#ifndef ZAR_SCENE_SCENE_NODES_H_
#define ZAR_SCENE_SCENE_NODES_H_

// The nodes of a scene by the names people type.

#include <string>
#include <string_view>

#include "modra/scene.h"

namespace zar::scene {

// "TRCCloud001/Head": the names from the top of the scene down to `node`.
std::string NodePath(modra::host::Scene& scene, const modra::host::Node& node);

// The node a user names: a path of names from the top of the scene ("TRCCloud001/Head", each
// step the first child of that name), or a name alone (the first node of that name). Null when
// there is none; `note` then says so ("no node named X"). When several share the name, `note`
// says which one the command takes: "2 nodes are named Head; <action> TRCCloud/Head (name
// another by its path)".
modra::host::Node* FindNode(modra::host::Scene& scene, const std::string& wanted,
                            std::string_view action, std::string& note);

}  // namespace zar::scene

#endif  // ZAR_SCENE_SCENE_NODES_H_
