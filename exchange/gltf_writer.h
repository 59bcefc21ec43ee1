#ifndef ZAR_EXCHANGE_GLTF_WRITER_H_
#define ZAR_EXCHANGE_GLTF_WRITER_H_

// Skeletons and marker sets as glTF 2.0 scenes: Y up, metres, right-handed. A Z-up source is
// turned so that (x, y, z) becomes (x, z, -y). Each joint or marker is a node showing a small
// octahedron, named as in the source (bytes that are not UTF-8 become U+FFFD). The motion is one
// animation whose key times are the frame times at the source's exact rate, frame 1 (or the
// first frame, when it is 0 or less) at 0 s; each channel is written only where its value
// changes over the frames, and a node's own translation and rotation are those of the first
// frame. Written completely or not at all.
//
// Skeletons: one node per joint in the joints' hierarchy, with LINEAR translation and rotation
// samplers of the joint's local pose. Successive rotation keys lie in one hemisphere (a key
// whose dot product with the one before is negative is negated), so interpolation between keys
// takes the short way. Bone scale factors are not written.
//
// Marker sets: one node per marker, names made unique and non-empty (UniqueMarkerNames), with a
// LINEAR translation sampler. Where a marker is missing it keeps its last position (before its
// first sample, its first position) and is hidden by a STEP scale sampler whose key is 0; the
// node's extras list those frames as "missingFrames": [[first, last], ...] in frame numbers.

#include <string>

#include "exchange/file_outcome.h"
#include "exchange/marker_set.h"
#include "exchange/skeleton.h"

namespace zar::exchange {

// Binary glTF (.glb).
FileOutcome WriteGLB(const Skeleton& skeleton, const std::string& path);
FileOutcome WriteGLB(const MarkerSet& set, const std::string& path);

// glTF JSON (.gltf) with its buffer embedded as a base64 data: URI.
FileOutcome WriteGLTF(const Skeleton& skeleton, const std::string& path);
FileOutcome WriteGLTF(const MarkerSet& set, const std::string& path);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_GLTF_WRITER_H_
