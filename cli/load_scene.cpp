#include "cli/load_scene.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/input_file.h"
#include "modra/scene_document.h"

namespace zar::cli {

using modra::host::Node;
using modra::host::Scene;

std::string LoadScene(const std::string& path, Scene& scene) {
  std::error_code error;
  if (std::filesystem::exists(path, error)) {
    const std::string refused = CheckInputFile(path, DocumentSizeBound());
    if (!refused.empty()) return "scene document " + path + ": " + refused;
  }
  int reason = 0;
  const std::string problem = modra::host::LoadSceneDocument(path, scene, reason);
  return reason == 0 ? problem : problem + ": " + std::strerror(reason);
}

}  // namespace zar::cli
