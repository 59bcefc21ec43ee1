#ifndef ZAR_CLI_LOAD_SCENE_H_
#define ZAR_CLI_LOAD_SCENE_H_

// Scene documents as commands open them (their nodes by name: scene/scene_nodes.h).

#include <string>

#include "modra/scene.h"

namespace zar::cli {

// Loads the document at `path` into the new `scene`; "" on success, else the problem with the
// system's reason where there is one. A path that is there but is no regular file of a sane
// size is refused before it is opened.
std::string LoadScene(const std::string& path, modra::host::Scene& scene);

}  // namespace zar::cli

#endif  // ZAR_CLI_LOAD_SCENE_H_
