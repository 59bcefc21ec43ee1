// Fuzz entry point for scene documents: any input loads or is refused with a message, and a
// document that loads saves to a text that loads again to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "modra/scene.h"
#include "modra/scene_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  modra::host::Scene scene;
  const std::string problem = modra::host::SceneFromText(text, scene);
  if (!problem.empty()) return 0;
  const std::string saved = modra::host::SceneToText(scene);
  modra::host::Scene again;
  if (!modra::host::SceneFromText(saved, again).empty()) std::abort();
  if (modra::host::SceneToText(again) != saved) std::abort();
  // Evaluate every node at a few times, as the exporter would.
  for (modra::host::Node* node : again.nodes()) {
    for (modra::TickTime t : {-1, 0, 160, 1 << 30}) {
      const modra::Matrix3 m = node->ObjectTransform(t);
      static_cast<void>(m);
    }
  }
  return 0;
}
