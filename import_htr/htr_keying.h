#ifndef ZAR_IMPORT_HTR_HTR_KEYING_H_
#define ZAR_IMPORT_HTR_HTR_KEYING_H_

// Keying a skeleton from an HTR file: the base position and the per-frame motion of each
// segment become position and rotation keys on the node of the same name.

#include <cstdint>
#include <string_view>

#include "filelib/htr_segment.h"
#include "import_htr/htr_import_job.h"
#include "sdk/modra_host.h"

namespace zar {

// Keys `node` from `segment`, then, depth first, every child bone whose name is exactly that of
// a child segment. Keys already in the keying window are removed first; keys outside it stay.
// False when a controller refuses a value (or the node has none); the keys set so far stay.
bool KeyNode(HTRImportJob& job, modra::SceneNode* node, const HTRSegment& segment);

// Removes every key of `controller` at a time in [from, to).
void ClearKeyWindow(modra::Controller& controller, std::int64_t from, std::int64_t to);

// The first child of `node`, in child order, that is a bone named exactly `name`; null if none.
modra::SceneNode* FindBoneChild(modra::SceneNode* node, std::string_view name);

}  // namespace zar

#endif  // ZAR_IMPORT_HTR_HTR_KEYING_H_
