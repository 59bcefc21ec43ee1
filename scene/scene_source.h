#ifndef ZAR_SCENE_SCENE_SOURCE_H_
#define ZAR_SCENE_SCENE_SOURCE_H_

// Motion out of a scene document of the stand-in host, in the exchange library's models: a bone
// hierarchy as a skeleton, the markers of a cloud as a marker set.
//
// Both come out Y up, the scene's Z-up world turned back as the importers turned the files in:
// (x, y, z) becomes (x, z, -y). Lengths are in the scene's system unit where that is a file unit
// (mm, cm, m, in, ft, yd), else in millimetres. Frame k lies at k ticks-per-frame; the rate is
// the scene's (ticks per second over ticks per frame); the frames run from the first to the
// last key of what is converted.

#include <string>
#include <string_view>
#include <vector>

#include "exchange/marker_set.h"
#include "exchange/skeleton.h"
#include "modra/scene.h"

namespace zar::scene {

// Whether `path` names a scene document (by its extension, in any letter case).
bool IsSceneDocument(const std::string& path);

// What a scene, or the subtree of one of its nodes, holds that can be converted: skeletons,
// named by the path of their root bone, and marker clouds, named by the path of the node their
// markers hang under ("(top level)" for markers at the top of the scene).
inline constexpr std::string_view kTopLevelCloud = "(top level)";

struct SceneContents {
  std::vector<std::string> skeletons;
  std::vector<std::string> clouds;
};

// The skeletons and clouds below `node` (a name or a path as FindNode takes it; the whole scene
// when empty). "" on success, else why not (no such node).
std::string FindSceneContents(modra::host::Scene& scene, const std::string& node,
                              SceneContents& contents);

// "1 skeleton (walk/Pelvis) and 2 marker clouds (TRCCloud, TRCCloud001)", "no skeleton and ...".
std::string ContentsText(const SceneContents& contents);

// The one skeleton below `node`: its bones (a bone's children that are bones, leaving out the
// importer's end effectors), base poses from the properties the HTR importer stores where a bone
// has all of them, else from its pose in the first frame. "" on success, else why not (no
// such node, no skeleton there, or several).
std::string SceneSkeleton(modra::host::Scene& scene, const std::string& node,
                          exchange::Skeleton& skeleton);

// The one marker cloud below `node` (a single marker when `node` is one): the world position of
// every sphere and point helper hanging under the cloud's node, present in the frames where its
// position has a key and missing in the others. "" on success, else why not.
std::string SceneMarkers(modra::host::Scene& scene, const std::string& node,
                         exchange::MarkerSet& set);

}  // namespace zar::scene

#endif  // ZAR_SCENE_SCENE_SOURCE_H_
