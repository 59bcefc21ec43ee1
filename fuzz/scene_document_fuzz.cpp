// Fuzz entry point for scene documents: any input loads or is refused with a message, and a
// document that loads saves to a text that loads again to the same text, with every name (any
// byte string) and every key unchanged.

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
  if (again.nodes().size() != scene.nodes().size()) std::abort();
  for (std::size_t i = 0; i < scene.nodes().size(); ++i) {
    modra::host::Node* before = scene.nodes()[i];
    modra::host::Node* after = again.nodes()[i];
    if (before->name() != after->name() || again.FindByName(after->name()) == nullptr) std::abort();
    modra::host::TransformController* t = after->transform();
    if ((t == nullptr) != (before->transform() == nullptr)) std::abort();
    if (t != nullptr && t->position() != nullptr &&
        t->position()->KeyCount() != before->transform()->position()->KeyCount())
      std::abort();
  }
  // Evaluate every node at a few times, in and out of order, as the exporter would.
  for (modra::host::Node* node : again.nodes()) {
    for (modra::TickTime t : {-1, 0, 160, 80, 1 << 30, 40}) {
      const modra::Matrix3 m = node->ObjectTransform(t);
      static_cast<void>(m);
    }
  }
  return 0;
}
