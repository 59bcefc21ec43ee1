#ifndef ZAR_IMPORT_HTR_HTR_SKELETON_H_
#define ZAR_IMPORT_HTR_HTR_SKELETON_H_

// Building host bone nodes for the segments of an HTR file, and finding the branch of an
// existing skeleton that an import applies to.

#include <string>
#include <string_view>
#include <vector>

#include "filelib/htr_segment.h"
#include "import_htr/htr_import_job.h"
#include "sdk/modra_host.h"

namespace zar {

// Suffix of the name of an end effector's node.
inline constexpr const char* kEffectorSuffix = "_Effector";

// The host's user-interface colour of bones, packed as a node's wire colour: red × 255 in bits
// 0–7, green in 8–15, blue in 16–23, each truncated.
std::uint32_t PackWireColour(const modra::Point3& colour);

// True when the node carries a host bone object.
bool IsBoneNode(modra::SceneNode* node);

// True when a selected node is driven by a biped's transform controller.
bool IsBipedSelected(modra::HostInterface& host);

// The root dummy's name for `fileName`: the text after the last folder separator ('\' or '/')
// up to its last '.' ("C:\mocap\walk.fast.htr" gives "walk.fast").
std::string DummyNameForFile(std::string_view fileName);

// The host rotation of a mapped rotation matrix: its quaternion as (x, y, z, −w).
modra::Quat HostRotation(const ZARRotationMatrix3<double>& mapped);

// Makes the nodes of one import's new skeleton.
class HTRSkeletonBuilder {
 public:
  explicit HTRSkeletonBuilder(HTRImportJob& job) : job_(job) {}

  // Creates the node for `segment` and for all its descendants, below `parent` when given, with
  // each segment's base position as its value and in its user properties. Returns the segment's
  // node, or null when a controller refuses a value or the host cannot make a node; then every
  // node this call made is removed again.
  modra::SceneNode* CreateSkeleton(const HTRSegment& segment, modra::SceneNode* parent);

  // A bone node named after the segment, sized from its bone length; null when the host cannot
  // make one.
  modra::SceneNode* CreateBone(const HTRSegment& segment);

  // An end-effector bone named `name` + "_Effector" at the end of `node`'s bone (along its
  // local X axis), linked below it; null when the host cannot make one.
  modra::SceneNode* CreateEffector(modra::SceneNode* node, const std::string& name, double length);

  // The dummy the new skeleton hangs from, named `name`, a box of half-size size × scale factor.
  modra::SceneNode* CreateRootDummy(const std::string& name);

 private:
  // A bone node with the given parameters and name; null when the host cannot make one.
  modra::SceneNode* MakeBoneNode(float length, float width, const std::string& name);
  // Sets the node's base pose and records it in its properties; false when a controller refuses.
  bool SetBasePose(modra::SceneNode* node, const HTRSegment& segment);
  // Removes the nodes made since `mark`, last first.
  void RemoveCreatedSince(std::size_t mark);

  HTRImportJob& job_;
  std::vector<modra::SceneNode*> created_;
};

}  // namespace zar

#endif  // ZAR_IMPORT_HTR_HTR_SKELETON_H_
