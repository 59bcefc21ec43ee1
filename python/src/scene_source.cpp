#include "scene_source.h"

#include <stdexcept>

#include "errors.h"
#include "marker_source.h"
#include "modra/scene.h"
#include "modra/scene_document.h"
#include "scene/scene_source.h"
#include "skeleton_source.h"

namespace zar::python {

std::variant<exchange::MarkerSet, exchange::Skeleton> ReadScene(const std::string& path,
                                                                const std::string& node,
                                                                const Choices& choices) {
  modra::host::Scene scene;
  if (const std::string problem = modra::host::LoadSceneDocument(path, scene); !problem.empty()) {
    ThrowFormatProblem(problem, path);
  }
  scene::SceneContents contents;
  if (const std::string problem = scene::FindSceneContents(scene, node, contents);
      !problem.empty()) {
    throw std::invalid_argument(path + ": " + problem);
  }
  const std::size_t found = contents.skeletons.size() + contents.clouds.size();
  if (found != 1) {
    throw std::invalid_argument(path + (node.empty() ? "" : " below " + node) + " holds " +
                                scene::ContentsText(contents) +
                                "; read takes one skeleton or one marker cloud" +
                                (found > 1 ? " (name one with node=)" : ""));
  }
  if (!contents.skeletons.empty()) {
    exchange::Skeleton skeleton;
    if (const std::string problem = scene::SceneSkeleton(scene, node, skeleton); !problem.empty()) {
      ThrowFormatProblem(path + ": " + problem, path);
    }
    EditSkeleton(skeleton, choices, path);
    return skeleton;
  }
  exchange::MarkerSet set;
  if (const std::string problem = scene::SceneMarkers(scene, node, set); !problem.empty()) {
    ThrowFormatProblem(path + ": " + problem, path);
  }
  EditMarkers(set, choices, path);
  return set;
}

}  // namespace zar::python
