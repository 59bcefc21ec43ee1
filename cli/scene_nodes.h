#ifndef ZAR_CLI_SCENE_NODES_H_
#define ZAR_CLI_SCENE_NODES_H_

// Scene documents as commands open them, and their nodes by the names people type.

#include <string>
#include <string_view>

#include "modra/scene.h"

namespace zar::cli {

// Loads the document at `path` into the new `scene`; "" on success, else the problem with the
// system's reason where there is one. A path that is there but is no regular file of a sane
// size is refused before it is opened.
std::string LoadScene(const std::string& path, modra::host::Scene& scene);

// "TRCCloud001/Head": the names from the top of the scene down to `node`.
std::string NodePath(modra::host::Scene& scene, const modra::host::Node& node);

// The node a user names: a path of names from the top of the scene ("TRCCloud001/Head", each
// step the first child of that name), or a name alone (the first node of that name). Null when
// there is none; `note` then says so ("no node named X"). When several share the name, `note`
// says which one the command takes: "2 nodes are named Head; <action> TRCCloud/Head (name
// another by its path)".
modra::host::Node* FindNode(modra::host::Scene& scene, const std::string& wanted,
                            std::string_view action, std::string& note);

}  // namespace zar::cli

#endif  // ZAR_CLI_SCENE_NODES_H_
