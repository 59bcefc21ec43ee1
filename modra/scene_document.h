#ifndef ZAR_MODRA_SCENE_DOCUMENT_H_
#define ZAR_MODRA_SCENE_DOCUMENT_H_

// Scene documents: the whole scene as JSON (nodes and their tree, objects and parameters, dummy
// boxes, transform controllers with every key, user properties, colours, object offsets, bone
// settings, time settings, system unit, selection, and the fault switches of controllers), so
// that command-line steps chain. One line per setting and per node. Floats are written so that
// they read back bit-exact (not finite values as the strings "nan", "inf", "-inf"). A controller
// with many keys holds them as little-endian binary arrays in base64 ("times" and "values"), and
// a name that is not UTF-8 is written as {"base64": its bytes}; both make the document version
// 2, and a document without them is written as version 1. Documents are written and read node
// by node, never as one JSON tree. Animate and set-key modes and objects no node carries are not
// part of a document.

#include <memory>
#include <string>
#include <string_view>

#include "modra/file_lock.h"
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
// The same, with the system's reason (an errno value) in `systemError` when the file could not
// be opened, written or put in place, else 0.
std::string SaveSceneDocument(Scene& scene, const std::string& path, int& systemError);
// Reads the document at `path` into a new scene. Answers "" or a message that starts with the
// path and names the problem.
std::string LoadSceneDocument(const std::string& path, Scene& scene);
// The same, with the system's reason (an errno value) in `systemError` when the file could not
// be opened, else 0.
std::string LoadSceneDocument(const std::string& path, Scene& scene, int& systemError);

// Holds the document at `path` for one command's load, change and save: a second command that
// locks the same document waits, then loads the first one's result.
std::unique_ptr<FileLock> LockSceneDocument(const std::string& path);

}  // namespace modra::host

#endif  // ZAR_MODRA_SCENE_DOCUMENT_H_
