#ifndef ZAR_PYTHON_SCENE_SOURCE_H_
#define ZAR_PYTHON_SCENE_SOURCE_H_

// Scene documents of the stand-in host, read as the tool's convert reads them: the skeleton or
// the marker cloud of the scene (or below one of its nodes), Y up.

#include <string>
#include <variant>

#include "choices.h"
#include "exchange/marker_set.h"
#include "exchange/skeleton.h"

namespace zar::python {

// The one skeleton or marker cloud of the scene document at `path`, below `node` (a name or a
// path of names; the whole scene when empty), with the frame range and unit of `choices`.
// Throws FileProblem for a document that cannot be read, std::invalid_argument for a node that
// is not there or a scene that holds other than one skeleton or cloud there.
std::variant<exchange::MarkerSet, exchange::Skeleton> ReadScene(const std::string& path,
                                                                const std::string& node,
                                                                const Choices& choices);

}  // namespace zar::python

#endif  // ZAR_PYTHON_SCENE_SOURCE_H_
