#include "import_htr/htr_skeleton.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "import_htr/htr_axes.h"
#include "math/zar_euler_rotation.h"
#include "math/zar_quaternion.h"
#include "math/zar_rotation_matrix3.h"
#include "plugin_description/plugin_texts.h"

namespace zar {

namespace {

// One colour channel (0 to 1) as a byte, truncated; out-of-range values are clamped.
std::uint32_t ColourByte(float channel) {
  const float scaled = channel * 255.0f;
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<std::uint32_t>(scaled);
}

}  // namespace

std::uint32_t PackWireColour(const modra::Point3& colour) {
  return ColourByte(colour.x) | (ColourByte(colour.y) << 8) | (ColourByte(colour.z) << 16);
}

bool IsBoneNode(modra::SceneNode* node) {
  if (node == nullptr) return false;
  modra::SceneObject* object = node->NodeObject();
  return object != nullptr && object->ClassIdentifier() == modra::kBoneObjectClassId;
}

bool IsBipedSelected(modra::HostInterface& host) {
  const int count = host.SelectedNodeCount();
  for (int i = 0; i < count; ++i) {
    modra::SceneNode* node = host.SelectedNode(i);
    if (node == nullptr) continue;
    modra::TransformControl* transform = node->TransformController();
    if (transform == nullptr) continue;
    const modra::ClassId id = transform->ClassIdentifier();
    if (id == modra::kBipedBodyClassId || id == modra::kBipedLimbClassId ||
        id == modra::kBipedPartClassId || id == modra::kBipedStepsClassId) {
      return true;
    }
  }
  return false;
}

std::string DummyNameForFile(std::string_view fileName) {
  const std::size_t separator = fileName.find_last_of("\\/");
  std::string_view name =
      separator == std::string_view::npos ? fileName : fileName.substr(separator + 1);
  // Only a '.' in the last part of the path starts the extension.
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

modra::Quat HostRotation(const ZARRotationMatrix3<double>& mapped) {
  ZARQuaternion<double> q;
  q.SetFromMatrix(mapped);
  return {static_cast<float>(q.X()), static_cast<float>(q.Y()), static_cast<float>(q.Z()),
          static_cast<float>(-q.W())};
}

modra::SceneNode* HTRSkeletonBuilder::MakeBoneNode(float length, float width,
                                                   const std::string& name) {
  modra::HostInterface& host = *job_.host;
  const modra::Point3 colour = modra::GetUIColor(modra::kColourBone);
  modra::SceneEntity* entity = host.MakeObject(modra::kGeometryClass, modra::kBoneObjectClassId);
  modra::SceneObject* object = entity != nullptr ? entity->AsObject() : nullptr;
  if (object == nullptr) return nullptr;
  const modra::TickTime now = host.CurrentTime();
  if (modra::ParamBlock* block = object->ParameterBlock(0); block != nullptr) {
    block->SetParameter(modra::kBoneLength, now, length);
    block->SetParameter(modra::kBoneWidth, now, width);
    block->SetParameter(modra::kBoneHeight, now, width);
  }
  modra::SceneNode* node = host.MakeNodeForObject(object);
  if (node == nullptr) return nullptr;
  created_.push_back(node);
  node->SetNodeName(name.c_str());
  node->ShowBoneLinks(0);
  node->SetBoneMode(1, now);
  node->SetDisplayColour(PackWireColour(colour));
  return node;
}

modra::SceneNode* HTRSkeletonBuilder::CreateBone(const HTRSegment& segment) {
  const HTRImportChoices& c = job_.choices;
  const double length = segment.BoneLength();
  return MakeBoneNode(
      static_cast<float>(length * c.scaleFactor),
      static_cast<float>(length * 0.2 * static_cast<double>(c.size) * c.scaleFactor),
      segment.Name());
}

modra::SceneNode* HTRSkeletonBuilder::CreateEffector(modra::SceneNode* node,
                                                     const std::string& name, double length) {
  const HTRImportChoices& c = job_.choices;
  const auto side = static_cast<float>(length * 0.2 * static_cast<double>(c.size) * c.scaleFactor);
  modra::SceneNode* effector = MakeBoneNode(side, side, name + kEffectorSuffix);
  if (effector == nullptr) return nullptr;
  // Moved while still unlinked, so its own axes are the world's; linking keeps that offset.
  // The bone itself is drawn scale factor times its length long, so the end lies there too.
  const modra::Point3 offset(static_cast<float>(length * c.scaleFactor), 0.0f, 0.0f);
  effector->MoveNode(0, effector->NodeTransform(0), offset, 1, 0, 0, 1);
  node->LinkChild(effector, 0);
  return effector;
}

modra::SceneNode* HTRSkeletonBuilder::CreateRootDummy(const std::string& name) {
  modra::HostInterface& host = *job_.host;
  modra::SceneEntity* entity = host.MakeObject(modra::kHelperClass, modra::kDummyHelperClassId);
  modra::SceneObject* object = entity != nullptr ? entity->AsObject() : nullptr;
  if (object == nullptr) return nullptr;
  if (modra::DummyObject* dummy = object->AsDummyObject(); dummy != nullptr) {
    const auto m =
        static_cast<float>(static_cast<double>(job_.choices.size) * job_.choices.scaleFactor);
    dummy->SetBox(modra::Point3(-m, -m, -m), modra::Point3(m, m, m));
  }
  modra::SceneNode* node = host.MakeNodeForObject(object);
  if (node == nullptr) return nullptr;
  node->SetNodeName(name.c_str());
  return node;
}

bool HTRSkeletonBuilder::SetBasePose(modra::SceneNode* node, const HTRSegment& segment) {
  modra::TransformControl* transform = node->TransformController();
  modra::Controller* position = transform != nullptr ? transform->PositionController() : nullptr;
  modra::Controller* rotation = transform != nullptr ? transform->RotationSubController() : nullptr;
  const modra::TickTime now = job_.host->CurrentTime();
  const bool root = segment.IsRoot();

  const ZARVector3<double> t = segment.BaseTranslation();
  node->SetUserFloatProperty(description::kHTRBaseTransX, static_cast<float>(t.X()));
  node->SetUserFloatProperty(description::kHTRBaseTransY, static_cast<float>(t.Y()));
  node->SetUserFloatProperty(description::kHTRBaseTransZ, static_cast<float>(t.Z()));
  const ZARVector3<double> mapped = MapHTRTranslation(t, root);
  if (position == nullptr || position->ControllerCheck() == 0) return false;
  const modra::Point3 p(static_cast<float>(mapped.X()), static_cast<float>(mapped.Y()),
                        static_cast<float>(mapped.Z()));
  position->SetControllerValue(now, &p, 1, modra::kValueAbsolute);

  const ZAREulerRotation<double>& base = segment.BaseRotation();
  node->SetUserFloatProperty(description::kHTRBaseRotX, static_cast<float>(base.X()));
  node->SetUserFloatProperty(description::kHTRBaseRotY, static_cast<float>(base.Y()));
  node->SetUserFloatProperty(description::kHTRBaseRotZ, static_cast<float>(base.Z()));
  ZARRotationMatrix3<double> mb;
  mb.SetFromEuler(base);
  ZAREulerRotation<double> extracted;
  extracted.order.code = 0;
  extracted.SetFromMatrix(MapHTRRotation(mb, root));
  ZAREulerRotation<double> local(base);
  local.Assign(extracted);
  if (rotation == nullptr || rotation->ControllerCheck() == 0) return false;
  ZARQuaternion<double> q;
  q.SetFromEuler(local);
  const modra::Quat hostQ(static_cast<float>(q.X()), static_cast<float>(q.Y()),
                          static_cast<float>(q.Z()), static_cast<float>(-q.W()));
  rotation->SetControllerValue(now, &hostQ, 1, modra::kValueAbsolute);

  node->SetUserFloatProperty(description::kHTRBaseLength, static_cast<float>(segment.BoneLength()));
  return true;
}

void HTRSkeletonBuilder::RemoveCreatedSince(std::size_t mark) {
  while (created_.size() > mark) {
    job_.host->RemoveNode(created_.back(), 1);
    created_.pop_back();
  }
}

modra::SceneNode* HTRSkeletonBuilder::CreateSkeleton(const HTRSegment& segment,
                                                     modra::SceneNode* parent) {
  struct Pending {
    const HTRSegment* segment;
    modra::SceneNode* parent;
  };
  const std::size_t mark = created_.size();
  // Depth first, children in file order, without recursion so that a deep hierarchy cannot
  // exhaust the stack. A segment linked twice to its parent (a file with two base-position
  // sections) still gets one node.
  std::vector<Pending> pending{{&segment, parent}};
  std::unordered_set<const HTRSegment*> built;
  modra::SceneNode* top = nullptr;
  while (!pending.empty()) {
    const Pending next = pending.back();
    pending.pop_back();
    if (!built.insert(next.segment).second) continue;
    modra::SceneNode* node = CreateBone(*next.segment);
    if (node == nullptr) {
      RemoveCreatedSince(mark);
      return nullptr;
    }
    if (top == nullptr) top = node;
    if (next.parent != nullptr) next.parent->LinkChild(node, 0);
    if (!SetBasePose(node, *next.segment)) {
      RemoveCreatedSince(mark);
      return nullptr;
    }
    const std::int32_t children = next.segment->NumChildren();
    if (children == 0) {
      if (job_.choices.endEffectors &&
          CreateEffector(node, next.segment->Name(), next.segment->BoneLength()) == nullptr) {
        RemoveCreatedSince(mark);
        return nullptr;
      }
      continue;
    }
    for (std::int32_t i = children - 1; i >= 0; --i) {
      pending.push_back({next.segment->Child(i), node});
    }
  }
  return top;
}

}  // namespace zar
