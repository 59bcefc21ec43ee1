#ifndef ZAR_MODRA_SCENE_DOCUMENT_H_
#define ZAR_MODRA_SCENE_DOCUMENT_H_

// Scene documents: the whole scene as JSON (nodes and their tree, objects and parameters, dummy
// boxes, transform controllers with every key, user properties, colours, object offsets, bone
// settings, time settings, system unit, selection, and the fault switches of controllers), so
// that command-line steps chain. Floats are written so that they read back bit-exact (not
// finite values as the strings "nan", "inf", "-inf"). Animate and set-key modes and objects no
// node carries are not part of a document.

#include <string>
#include <string_view>

#include "modra/scene.h"

namespace modra::host {

// The scene as a document's text.
std::string SceneToText(Scene& scene);
// Reads a document's text into `scene`, which must be new (no nodes). Answers "" on success,
// else a message naming the problem ("node 3 (Hips): rotation key 2 is not [tick, x, y, z, w]");
// the scene is then in an unspecified but valid state and should be discarded.
std::string SceneFromText(std::string_view text, Scene& scene);

// Writes the document atomically: a temporary file in the same folder, then a rename over
// `path`. Answers "" or a message naming the problem.
std::string SaveSceneDocument(Scene& scene, const std::string& path);
// Reads the document at `path` into a new scene. Answers "" or a message that starts with the
// path and names the problem.
std::string LoadSceneDocument(const std::string& path, Scene& scene);

}  // namespace modra::host

#endif  // ZAR_MODRA_SCENE_DOCUMENT_H_
