#include "modra/scene_document.h"

#include <simdjson.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <new>
#include <nlohmann/json.hpp>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "atomic_file/output_file.h"
#include "modra/byte_text.h"
#include "modra/json_stream.h"
#include "modra/json_value.h"
#include "text/base64.h"

namespace modra::host {
namespace {

using Json = nlohmann::json;

constexpr const char* kFormat = "zarfileio-scene";
// Version 1 holds every key as a JSON array and every name as a JSON string. Version 2 adds keys
// as binary arrays and names that are not UTF-8 as base64; a document that needs neither is
// written as version 1, so that it stays what older builds read.
constexpr int kTextVersion = 1;
constexpr int kBinaryVersion = 2;
// Controllers with more keys than this hold them as binary arrays: "times" (signed 32-bit
// ticks) and "values" (3 or 4 single-precision floats per key), little-endian, in base64.
constexpr std::size_t kMostTextKeys = 16;

// A problem found while reading a document; caught at the top and turned into the message.
struct DocumentError {
  std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw DocumentError{message}; }

Json FloatJson(float f) {
  if (std::isnan(f)) return "nan";
  if (std::isinf(f)) return f > 0 ? "inf" : "-inf";
  return static_cast<double>(f);
}

Json PointJson(const Point3& p) {
  return Json::array({FloatJson(p.x), FloatJson(p.y), FloatJson(p.z)});
}

Json QuatJson(const Quat& q) {
  return Json::array({FloatJson(q.x), FloatJson(q.y), FloatJson(q.z), FloatJson(q.w)});
}

Json ClassIdJson(ClassId id) { return Json::array({id.a, id.b}); }

// A name: a JSON string when it is UTF-8, else {"base64": its bytes}.
Json ByteTextJson(const std::string& text) {
  if (IsValidUtf8(text)) return text;
  std::string encoded;
  zar::text::AppendBase64(text, encoded);
  return {{"base64", encoded}};
}

void PutLittleEndian(std::uint32_t v, std::uint8_t* out) {
  out[0] = static_cast<std::uint8_t>(v);
  out[1] = static_cast<std::uint8_t>(v >> 8);
  out[2] = static_cast<std::uint8_t>(v >> 16);
  out[3] = static_cast<std::uint8_t>(v >> 24);
}

std::uint32_t LittleEndianAt(const std::string& bytes, std::size_t offset) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
  return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
         (std::uint32_t{b[3]} << 24);
}

// Binary keys: each key's tick and its `width` floats, bit for bit. They are held as JSON binary
// values, which AppendJson writes as base64 strings without a copy in between.
template <class Map, class Floats>
void AddBinaryKeys(const Map& keys, std::size_t width, Floats floats, Json& j) {
  std::vector<std::uint8_t> times(keys.size() * 4), values(keys.size() * 4 * width);
  std::uint8_t* time = times.data();
  std::uint8_t* value = values.data();
  for (const auto& [t, v] : keys) {
    PutLittleEndian(static_cast<std::uint32_t>(t), time);
    time += 4;
    const auto f = floats(v);
    for (std::size_t i = 0; i < width; ++i, value += 4)
      PutLittleEndian(std::bit_cast<std::uint32_t>(f[i]), value);
  }
  j["times"] = Json::binary(std::move(times));
  j["values"] = Json::binary(std::move(values));
}

// Reading helpers: each names what it reads in its failure message.
JsonValue Field(JsonValue object, const char* name, const std::string& where) {
  if (!object.is_object()) Fail(where + " is not an object");
  const JsonValue member = object.Member(name);
  if (!member.present()) Fail(where + " has no \"" + name + "\"");
  return member;
}

float ReadFloat(JsonValue j, const std::string& what) {
  if (j.is_number()) {
    const double d = j.Double();
    if (std::isfinite(d) && std::fabs(d) > static_cast<double>(std::numeric_limits<float>::max()))
      Fail(what + " is out of single-precision range");
    return static_cast<float>(d);
  }
  if (j.Is("nan")) return std::numeric_limits<float>::quiet_NaN();
  if (j.Is("inf")) return std::numeric_limits<float>::infinity();
  if (j.Is("-inf")) return -std::numeric_limits<float>::infinity();
  Fail(what + " is not a number");
}

double ReadDouble(JsonValue j, const std::string& what) {
  if (!j.is_number()) Fail(what + " is not a number");
  return j.Double();
}

std::int64_t ReadInteger(JsonValue j, const std::string& what, std::int64_t low,
                         std::int64_t high) {
  std::int64_t v = 0;
  if (j.is_number_unsigned()) {
    const std::uint64_t u = j.Uint64();
    if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
      Fail(what + " is out of range");
    v = static_cast<std::int64_t>(u);
  } else if (j.is_number_integer()) {
    v = j.Int64();
  } else {
    Fail(what + " is not an integer");
  }
  if (v < low || v > high) Fail(what + " is out of range");
  return v;
}

bool ReadBool(JsonValue j, const std::string& what) {
  if (!j.is_boolean()) Fail(what + " is not true or false");
  return j.Bool();
}

JsonValue Array(JsonValue j, const std::string& what, std::size_t size = 0) {
  if (!j.is_array() || (size != 0 && j.size() != size))
    Fail(what + (size ? " is not an array of " + std::to_string(size) : " is not an array"));
  return j;
}

Point3 ReadPoint(JsonValue j, const std::string& what) {
  Array(j, what, 3);
  return {ReadFloat(j[0], what), ReadFloat(j[1], what), ReadFloat(j[2], what)};
}

Quat ReadQuat(JsonValue j, const std::string& what) {
  Array(j, what, 4);
  return {ReadFloat(j[0], what), ReadFloat(j[1], what), ReadFloat(j[2], what),
          ReadFloat(j[3], what)};
}

ClassId ReadClassId(JsonValue j, const std::string& what) {
  Array(j, what, 2);
  return {static_cast<std::uint32_t>(ReadInteger(j[0], what, 0, 0xFFFFFFFF)),
          static_cast<std::uint32_t>(ReadInteger(j[1], what, 0, 0xFFFFFFFF))};
}

TickTime ReadTime(JsonValue j, const std::string& what) {
  return static_cast<TickTime>(ReadInteger(j, what, std::numeric_limits<TickTime>::min(),
                                           std::numeric_limits<TickTime>::max()));
}

std::string ReadBase64(JsonValue j, const std::string& what) {
  std::string bytes;
  if (!j.is_string() || !zar::text::DecodeBase64(j.String(), bytes))
    Fail(what + " is not base64 text");
  return bytes;
}

// A name written by ByteTextJson; `binaryForm` is set when it is in base64.
std::string ReadByteText(JsonValue j, const std::string& what, bool& binaryForm) {
  if (j.is_string()) return std::string(j.String());
  if (j.is_object() && j.size() == 1 && j.contains("base64")) {
    binaryForm = true;
    return ReadBase64(j.Member("base64"), what);
  }
  Fail(what + " is not a text");
}

// Binary keys into `map`; `make` turns a key's floats into its value.
template <class Map, class Make>
void ReadBinaryKeys(JsonValue j, std::size_t width, Map& map, Make make, const std::string& where) {
  const std::string times = ReadBase64(Field(j, "times", where), where + " times");
  const std::string values = ReadBase64(Field(j, "values", where), where + " values");
  const std::size_t count = times.size() / 4;
  if (times.size() % 4 != 0 || values.size() != count * width * 4)
    Fail(where + " times and values do not hold the same number of keys");
  float f[4] = {};
  map.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    const auto t = static_cast<TickTime>(LittleEndianAt(times, k * 4));
    if (!map.empty() && t <= map.rbegin()->first)
      Fail(where + " key " + std::to_string(k) + " tick " + std::to_string(t) +
           " does not come after the tick before it");
    for (std::size_t i = 0; i < width; ++i)
      f[i] = std::bit_cast<float>(LittleEndianAt(values, (k * width + i) * 4));
    map.emplace_hint(map.end(), t, make(f));
  }
}

// ---------------------------------------------------------------------------------------------
// Writing

// The keys of a controller into `j`: as "keys", one [tick, floats...] array per key, or, for
// more than kMostTextKeys keys, as binary "times" and "values".
template <class Map, class Floats>
void AddKeys(const Map& keys, std::size_t width, Floats floats, Json& j) {
  if (keys.size() > kMostTextKeys) {
    AddBinaryKeys(keys, width, floats, j);
    return;
  }
  Json list = Json::array();
  for (const auto& [t, v] : keys) {
    Json key = Json::array({t});
    const auto f = floats(v);
    for (std::size_t i = 0; i < width; ++i) key.push_back(FloatJson(f[i]));
    list.push_back(std::move(key));
  }
  j["keys"] = std::move(list);
}

const auto kPointFloats = [](const Point3& p) { return std::array<float, 3>{p.x, p.y, p.z}; };
const auto kAngleFloats = [](const EulerRotationController::Angles& a) { return a; };
const auto kQuatFloats = [](const Quat& q) { return std::array<float, 4>{q.x, q.y, q.z, q.w}; };

Json PointControllerJson(const PointController* c) {
  if (c == nullptr) return nullptr;
  Json j = {{"locked", c->locked()}, {"value", PointJson(c->constant())}};
  AddKeys(c->keys(), 3, kPointFloats, j);
  return j;
}

Json RotationControllerJson(const RotationController* c) {
  if (c == nullptr) return nullptr;
  Json j;
  if (auto* euler = dynamic_cast<const EulerRotationController*>(c)) {
    const auto v = euler->constant();
    j = {{"type", "euler"},
         {"value", Json::array({FloatJson(v[0]), FloatJson(v[1]), FloatJson(v[2])})}};
    AddKeys(euler->keys(), 3, kAngleFloats, j);
  } else if (auto* tcb = dynamic_cast<const TcbRotationController*>(c)) {
    j = {{"type", "tcb"}, {"value", QuatJson(tcb->constant())}};
    AddKeys(tcb->keys(), 4, kQuatFloats, j);
  }
  j["locked"] = c->locked();
  return j;
}

// True when writing the node takes version 2: keys too many for text, or a name not UTF-8.
bool NeedsBinaryVersion(Node& n) {
  if (!IsValidUtf8(n.name())) return true;
  for (const auto& [k, v] : n.userProperties())
    if (!IsValidUtf8(k)) return true;
  TransformController* t = n.transform();
  if (t == nullptr) return false;
  for (Controller* c :
       {static_cast<Controller*>(t->position()), static_cast<Controller*>(t->rotation()),
        static_cast<Controller*>(t->scale())})
    if (c != nullptr && static_cast<std::size_t>(c->KeyCount()) > kMostTextKeys) return true;
  return false;
}

Json NodeJson(Node& n) {
  Json j;
  j["handle"] = n.NodeHandle();
  j["name"] = ByteTextJson(n.name());
  Json children = Json::array();
  for (Node* c : n.children()) children.push_back(c->NodeHandle());
  j["children"] = children;
  j["colour"] = n.DisplayColour();
  j["showBoneLinks"] = n.showBoneLinks();
  j["boneMode"] = n.boneMode();
  j["boneModeTime"] = n.boneModeTime();
  Json props = Json::array();
  for (const auto& [k, v] : n.userProperties())
    props.push_back(Json::array({ByteTextJson(k), FloatJson(v)}));
  j["userProperties"] = props;
  if (SceneObjectImpl* o = n.object()) {
    Json params = Json::array();
    for (const auto& p : o->parameters().parameters()) {
      if (p.isInt)
        params.push_back(Json::array({p.id, "int", p.intValue}));
      else
        params.push_back(Json::array({p.id, "float", FloatJson(p.floatValue)}));
    }
    j["object"] = {{"superClass", o->SuperClass()},
                   {"classId", ClassIdJson(o->ClassIdentifier())},
                   {"parameters", params},
                   {"box", Json::array({PointJson(o->BoxLow()), PointJson(o->BoxHigh())})}};
  } else {
    j["object"] = nullptr;
  }
  const ObjectOffset& off = n.objectOffset();
  j["objectOffset"] = {{"position", PointJson(off.position)},
                       {"rotation", QuatJson(off.rotation)},
                       {"scale", PointJson(off.scale)}};
  if (TransformController* t = n.transform()) {
    j["transform"] = {{"classId", ClassIdJson(t->ClassIdentifier())},
                      {"refusesRotation", t->refusesRotation()},
                      {"position", PointControllerJson(t->position())},
                      {"rotation", RotationControllerJson(t->rotation())},
                      {"scale", PointControllerJson(t->scale())}};
  } else {
    j["transform"] = nullptr;
  }
  return j;
}

// ---------------------------------------------------------------------------------------------
// Reading

// True, and `binaryForm` set, when the controller holds its keys as binary arrays.
bool HasBinaryKeys(JsonValue j, bool& binaryForm) {
  const bool binary = j.is_object() && !j.contains("keys") && j.contains("times");
  binaryForm = binaryForm || binary;
  return binary;
}

const auto kMakePoint = [](const float* f) { return Point3(f[0], f[1], f[2]); };
const auto kMakeAngles = [](const float* f) {
  return EulerRotationController::Angles{f[0], f[1], f[2]};
};
const auto kMakeQuat = [](const float* f) { return Quat(f[0], f[1], f[2], f[3]); };

PointController* ReadPointController(Scene& scene, JsonValue j, ControllerValueKind kind,
                                     bool& binaryForm, const std::string& where) {
  if (j.is_null()) return nullptr;
  auto* c = scene.Adopt(std::make_unique<PointController>(scene, kind));
  c->set_locked(ReadBool(Field(j, "locked", where), where + " locked"));
  c->set_constant(ReadPoint(Field(j, "value", where), where + " value"));
  auto& map = c->mutable_keys();
  if (HasBinaryKeys(j, binaryForm)) {
    ReadBinaryKeys(j, 3, map, kMakePoint, where);
    return c;
  }
  std::size_t i = 0;
  for (const JsonValue k : Array(Field(j, "keys", where), where + " keys")) {
    const std::string what = where + " key " + std::to_string(i++);
    if (!k.is_array() || k.size() != 4) Fail(what + " is not [tick, x, y, z]");
    const TickTime t = ReadTime(k[0], what + " tick");
    if (!map.emplace(t, Point3(ReadFloat(k[1], what), ReadFloat(k[2], what), ReadFloat(k[3], what)))
             .second)
      Fail(what + " repeats tick " + std::to_string(t));
  }
  return c;
}

RotationController* ReadRotationController(Scene& scene, JsonValue j, bool& binaryForm,
                                           const std::string& where) {
  if (j.is_null()) return nullptr;
  const JsonValue type = Field(j, "type", where);
  RotationController* result = nullptr;
  const bool binary = HasBinaryKeys(j, binaryForm);
  const JsonValue keys = binary ? JsonValue() : Array(Field(j, "keys", where), where + " keys");
  std::size_t i = 0;
  if (type.Is("euler")) {
    auto* c = scene.Adopt(std::make_unique<EulerRotationController>(scene));
    const JsonValue v = Array(Field(j, "value", where), where + " value", 3);
    c->set_constant({ReadFloat(v[0], where), ReadFloat(v[1], where), ReadFloat(v[2], where)});
    if (binary) ReadBinaryKeys(j, 3, c->mutable_keys(), kMakeAngles, where);
    for (const JsonValue k : keys) {
      const std::string what = where + " key " + std::to_string(i++);
      if (!k.is_array() || k.size() != 4) Fail(what + " is not [tick, x, y, z]");
      const TickTime t = ReadTime(k[0], what + " tick");
      const EulerRotationController::Angles a{ReadFloat(k[1], what), ReadFloat(k[2], what),
                                              ReadFloat(k[3], what)};
      if (!c->mutable_keys().emplace(t, a).second)
        Fail(what + " repeats tick " + std::to_string(t));
    }
    result = c;
  } else if (type.Is("tcb")) {
    auto* c = scene.Adopt(std::make_unique<TcbRotationController>(scene));
    c->SetConstant(ReadQuat(Field(j, "value", where), where + " value"));
    if (binary) ReadBinaryKeys(j, 4, c->mutable_keys(), kMakeQuat, where);
    for (const JsonValue k : keys) {
      const std::string what = where + " key " + std::to_string(i++);
      if (!k.is_array() || k.size() != 5) Fail(what + " is not [tick, x, y, z, w]");
      const TickTime t = ReadTime(k[0], what + " tick");
      const Quat q(ReadFloat(k[1], what), ReadFloat(k[2], what), ReadFloat(k[3], what),
                   ReadFloat(k[4], what));
      if (!c->mutable_keys().emplace(t, q).second)
        Fail(what + " repeats tick " + std::to_string(t));
    }
    result = c;
  } else {
    Fail(where + " type is neither \"euler\" nor \"tcb\"");
  }
  auto* base = static_cast<ControllerBase*>(result);
  base->set_locked(ReadBool(Field(j, "locked", where), where + " locked"));
  return result;
}

// Reads a node entry; `binaryForm` is set when it holds keys or names in a form of version 2.
void ReadNode(Scene& scene, Node& node, JsonValue j, bool& binaryForm, const std::string& where) {
  scene.Rename(&node, ReadByteText(Field(j, "name", where), where + " name", binaryForm));
  const std::string at = "node " + std::to_string(node.NodeHandle()) + " (" + node.name() + ")";
  node.SetDisplayColour(static_cast<std::uint32_t>(
      ReadInteger(Field(j, "colour", at), at + " colour", 0, 0xFFFFFFFF)));
  node.ShowBoneLinks(static_cast<int>(
      ReadInteger(Field(j, "showBoneLinks", at), at + " showBoneLinks", INT32_MIN, INT32_MAX)));
  node.SetBoneMode(static_cast<int>(ReadInteger(Field(j, "boneMode", at), at + " boneMode",
                                                INT32_MIN, INT32_MAX)),
                   ReadTime(Field(j, "boneModeTime", at), at + " boneModeTime"));
  for (const JsonValue p : Array(Field(j, "userProperties", at), at + " userProperties")) {
    if (!p.is_array() || p.size() != 2) Fail(at + " has a user property that is not [key, number]");
    const std::string key = ReadByteText(p[0], at + " user property key", binaryForm);
    const float value = ReadFloat(p[1], at + " user property " + key);
    node.SetUserFloatProperty(key.c_str(), value);
  }
  const JsonValue object = Field(j, "object", at);
  if (!object.is_null()) {
    const std::string what = at + " object";
    const auto superClass = static_cast<SuperClassId>(
        ReadInteger(Field(object, "superClass", what), what + " superClass", 0, 0xFFFFFFFF));
    const ClassId classId = ReadClassId(Field(object, "classId", what), what + " classId");
    if (!SceneObjectImpl::Known(superClass, classId))
      Fail(what + " is of a class the host does not know");
    auto* o = static_cast<SceneObjectImpl*>(scene.MakeEntity(superClass, classId));
    const JsonValue params = Array(Field(object, "parameters", what), what + " parameters");
    auto& list = o->parameters().mutable_parameters();
    list.clear();
    for (const JsonValue p : params) {
      if (!p.is_array() || p.size() != 3 || !p[1].is_string())
        Fail(what + " has a parameter that is not [id, \"float\" or \"int\", value]");
      ParameterSet::Parameter param;
      param.id = static_cast<int>(ReadInteger(p[0], what + " parameter id", INT32_MIN, INT32_MAX));
      if (p[1].Is("int")) {
        param.isInt = true;
        param.intValue =
            static_cast<int>(ReadInteger(p[2], what + " parameter", INT32_MIN, INT32_MAX));
      } else if (p[1].Is("float")) {
        param.floatValue = ReadFloat(p[2], what + " parameter");
      } else {
        Fail(what + " parameter type is neither \"float\" nor \"int\"");
      }
      list.push_back(param);
    }
    const JsonValue box = Array(Field(object, "box", what), what + " box", 2);
    o->SetBox(ReadPoint(box[0], what + " box"), ReadPoint(box[1], what + " box"));
    scene.AttachObject(&node, o);
  }
  const JsonValue offset = Field(j, "objectOffset", at);
  node.objectOffset().position = ReadPoint(Field(offset, "position", at), at + " offset position");
  node.objectOffset().rotation = ReadQuat(Field(offset, "rotation", at), at + " offset rotation");
  node.objectOffset().scale = ReadPoint(Field(offset, "scale", at), at + " offset scale");
  const JsonValue t = Field(j, "transform", at);
  if (t.is_null()) {
    scene.SetTransform(&node, nullptr);
    return;
  }
  const std::string what = at + " transform";
  auto* position =
      ReadPointController(scene, Field(t, "position", what), ControllerValueKind::kPosition,
                          binaryForm, what + " position");
  auto* rotation =
      ReadRotationController(scene, Field(t, "rotation", what), binaryForm, what + " rotation");
  auto* scale = ReadPointController(scene, Field(t, "scale", what), ControllerValueKind::kScale,
                                    binaryForm, what + " scale");
  auto transform = std::make_unique<TransformController>(scene, position, rotation, scale);
  transform->set_classId(ReadClassId(Field(t, "classId", what), what + " classId"));
  transform->set_refusesRotation(
      ReadBool(Field(t, "refusesRotation", what), what + " refusesRotation"));
  scene.SetTransform(&node, std::move(transform));
}

// Parses the values a document is read in (simdjson takes long strings, such as binary keys, at
// memory speed). A value is valid until the next is parsed.
class ValueParser {
 public:
  JsonValue Parse(std::string_view text) {
    simdjson::dom::element element;
    if (const auto error = parser_.parse(text.data(), text.size(), true).get(element))
      throw JsonStream::Error{simdjson::error_message(error)};
    return JsonValue(element);
  }

 private:
  simdjson::dom::parser parser_;
};

// The document's members other than "nodes", kept as their text (checked as they are read) until
// the nodes are read, then parsed one at a time as they are asked for.
class Head {
 public:
  void Add(std::string name, std::string text) { members_[std::move(name)] = std::move(text); }
  bool contains(const std::string& name) const { return members_.count(name) != 0; }
  // The member `name`, valid until the next is asked for.
  JsonValue Field(const char* name) {
    const auto it = members_.find(name);
    if (it == members_.end()) Fail(std::string("the document has no \"") + name + "\"");
    return parser_.Parse(it->second);
  }

 private:
  std::map<std::string, std::string> members_;
  ValueParser parser_;
};

// The document's version, once its format is checked.
int CheckFormat(Head& head) {
  if (!head.Field("format").Is(kFormat))
    Fail("the document is not a scene (\"format\" is not \"zarfileio-scene\")");
  const auto version = static_cast<int>(ReadInteger(head.Field("version"), "version", 0, 1000));
  if (version != kTextVersion && version != kBinaryVersion)
    Fail("the document's version is not 1 or 2");
  return version;
}

// The document's settings (every member but "nodes") into the scene, once its nodes are read.
void ReadSettings(Head& head, Scene& scene) {
  const int fps =
      static_cast<int>(ReadInteger(head.Field("frameRate"), "frameRate", 1, kTicksPerSecond));
  scene.set_frameRate(fps);
  scene.set_currentTime(ReadTime(head.Field("currentTime"), "currentTime"));
  const JsonValue range = Array(head.Field("animationRange"), "animationRange", 2);
  const TickTime start = ReadTime(range[0], "animationRange start");
  const TickTime end = ReadTime(range[1], "animationRange end");
  if (end < start) Fail("animationRange ends before it starts");
  scene.set_animationRange({start, end});
  const double mm = ReadDouble(head.Field("millimetresPerUnit"), "millimetresPerUnit");
  if (!(mm > 0.0) || !std::isfinite(mm)) Fail("millimetresPerUnit is not a positive number");
  scene.set_millimetresPerUnit(mm);
}

// Links the tree: every node is the child of exactly one node and reachable from the root.
void ReadTree(Scene& scene, JsonValue rootChildren,
              const std::vector<std::pair<Node*, std::vector<std::uint32_t>>>& childrenOf) {
  std::unordered_set<std::uint32_t> seenAsChild;
  auto resolve = [&](const std::vector<std::uint32_t>& handles, const std::string& where) {
    std::vector<Node*> out;
    out.reserve(handles.size());
    for (std::uint32_t handle : handles) {
      Node* c = scene.FindByHandle(handle);
      if (c == nullptr)
        Fail(where + " names node " + std::to_string(handle) + ", which does not exist");
      if (!seenAsChild.insert(handle).second)
        Fail("node " + std::to_string(handle) + " has more than one parent");
      out.push_back(c);
    }
    return out;
  };
  std::vector<std::uint32_t> top;
  for (const JsonValue h : Array(rootChildren, "rootChildren"))
    top.push_back(static_cast<std::uint32_t>(ReadInteger(h, "rootChildren", 1, 0xFFFFFFFE)));
  scene.SetChildren(&scene.root(), resolve(top, "rootChildren"));
  for (const auto& [node, handles] : childrenOf)
    scene.SetChildren(node,
                      resolve(handles, "children of node " + std::to_string(node->NodeHandle())));
  std::size_t reached = 0;
  std::vector<Node*> stack{&scene.root()};
  std::unordered_set<Node*> visited{&scene.root()};
  while (!stack.empty()) {
    Node* n = stack.back();
    stack.pop_back();
    for (Node* c : n->children()) {
      if (!visited.insert(c).second) continue;
      ++reached;
      stack.push_back(c);
    }
  }
  if (reached != childrenOf.size())
    Fail(
        "some nodes are not reachable from the root (a node is its own ancestor or has no parent)");
}

// Reads the document node by node: the settings are small JSON values, each node entry is
// parsed on its own, so memory holds the scene and one node's text at a time.
void ReadScene(JsonStream& in, Scene& scene) {
  if (!in.Consume('{')) {
    if (in.AtEnd()) throw JsonStream::Error{"the document is empty"};
    Fail("the document is not a JSON object");
  }
  if (!scene.nodes().empty()) Fail("the scene to load into is not empty");
  Head head;
  bool sawNodes = false;
  bool binaryForm = false;  // some node holds keys or names in a form of version 2
  ValueParser values;
  std::vector<std::pair<Node*, std::vector<std::uint32_t>>> childrenOf;
  if (!in.Consume('}')) {
    do {
      const JsonValue name_value = values.Parse(in.Value());
      if (!name_value.is_string()) throw JsonStream::Error{"a member name is not a string"};
      std::string name(name_value.String());
      in.Expect(':');
      if (name != "nodes") {
        std::string text(in.Value());
        values.Parse(text);
        head.Add(std::move(name), std::move(text));
        continue;
      }
      if (sawNodes) Fail("the document has \"nodes\" twice");
      sawNodes = true;
      // The format is checked first when it comes first (as written); members in another order
      // are checked once the whole document is read.
      if (head.contains("format") && head.contains("version")) CheckFormat(head);
      in.Expect('[');
      if (in.Consume(']')) continue;
      std::size_t index = 0;
      do {
        const JsonValue j = values.Parse(in.Value());
        const std::string where = "node entry " + std::to_string(index++);
        const auto handle = static_cast<std::uint32_t>(
            ReadInteger(Field(j, "handle", where), where + " handle", 1, 0xFFFFFFFE));
        Node* node = scene.MakeNodeWithHandle(handle);
        if (node == nullptr) Fail(where + " repeats handle " + std::to_string(handle));
        ReadNode(scene, *node, j, binaryForm, "node entry with handle " + std::to_string(handle));
        std::vector<std::uint32_t> children;
        const std::string of = "children of node " + std::to_string(handle);
        for (const JsonValue h : Array(Field(j, "children", "node " + std::to_string(handle)), of))
          children.push_back(static_cast<std::uint32_t>(ReadInteger(h, of, 1, 0xFFFFFFFE)));
        childrenOf.emplace_back(node, std::move(children));
      } while (in.Consume(','));
      in.Expect(']');
    } while (in.Consume(','));
    in.Expect('}');
  }
  if (!in.AtEnd()) throw JsonStream::Error{"more text after the document"};
  if (CheckFormat(head) < kBinaryVersion && binaryForm)
    Fail("the document's version is 1, but it holds binary keys or base64 names");
  ReadSettings(head, scene);
  if (!sawNodes) Fail("the document has no \"nodes\"");
  ReadTree(scene, head.Field("rootChildren"), childrenOf);

  std::vector<std::uint32_t> selection;
  for (const JsonValue h : Array(head.Field("selection"), "selection")) {
    const auto handle = static_cast<std::uint32_t>(ReadInteger(h, "selection", 1, 0xFFFFFFFE));
    if (scene.FindByHandle(handle) == nullptr)
      Fail("selection names node " + std::to_string(handle) + ", which does not exist");
    selection.push_back(handle);
  }
  scene.set_selection(std::move(selection));
  const auto next = static_cast<std::uint32_t>(
      ReadInteger(head.Field("nextHandle"), "nextHandle", 1, 0xFFFFFFFF));
  if (next > scene.nextHandle()) scene.set_nextHandle(next);
}

std::string ReadProblem(JsonStream& in, Scene& scene) {
  try {
    ReadScene(in, scene);
    return "";
  } catch (const DocumentError& e) {
    return e.message;
  } catch (const JsonStream::Error& e) {
    return "not valid JSON (" + e.message + ")";
  } catch (const std::bad_alloc&) {
    return "too large to load";
  }
}

// Appends the compact text of `j`, as Json::dump() writes it, with binary values (keys) as
// base64 strings, and long strings that need no escaping straight to the text instead of through
// the escaper.
void AppendJson(const Json& j, std::string& out) {
  if (j.is_binary()) {
    const auto& bytes = j.get_binary();
    out += '"';
    zar::text::AppendBase64(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), out);
    out += '"';
    return;
  }
  if (j.is_object()) {
    char separator = '{';
    for (const auto& [key, value] : j.items()) {
      out += separator;
      out += Json(key).dump();
      out += ':';
      AppendJson(value, out);
      separator = ',';
    }
    out += j.empty() ? "{}" : "}";
  } else if (j.is_array()) {
    char separator = '[';
    for (const Json& item : j) {
      out += separator;
      AppendJson(item, out);
      separator = ',';
    }
    out += j.empty() ? "[]" : "]";
  } else if (j.is_string() && j.get_ref<const std::string&>().size() > 64 &&
             std::all_of(j.get_ref<const std::string&>().begin(),
                         j.get_ref<const std::string&>().end(),
                         [](char c) { return c >= ' ' && c <= '~' && c != '"' && c != '\\'; })) {
    out += '"';
    out += j.get_ref<const std::string&>();
    out += '"';
  } else {
    out += j.dump();
  }
}

// Writes the document piece by piece to `out`: the settings on one line each, then one line
// per node, readable and diffable; a node's keys go out with its line.
void WriteScene(Scene& scene, const std::function<void(std::string_view)>& out) {
  int version = kTextVersion;
  for (Node* n : scene.nodes())
    if (NeedsBinaryVersion(*n)) {
      version = kBinaryVersion;
      break;
    }
  Json doc;
  doc["format"] = kFormat;
  doc["version"] = version;
  doc["frameRate"] = scene.frameRate();
  doc["currentTime"] = scene.currentTime();
  doc["animationRange"] =
      Json::array({scene.animationRange().Start(), scene.animationRange().End()});
  doc["millimetresPerUnit"] = scene.millimetresPerUnit();
  doc["nextHandle"] = scene.nextHandle();
  doc["selection"] = scene.selection();
  Json rootChildren = Json::array();
  for (Node* c : scene.root().children()) rootChildren.push_back(c->NodeHandle());
  doc["rootChildren"] = rootChildren;
  std::string text = "{\n";
  for (const auto& [key, value] : doc.items()) {
    text += ' ';
    text += Json(key).dump();
    text += ": ";
    text += value.dump();
    text += ",\n";
  }
  text += " \"nodes\": [";
  out(text);
  const char* separator = "\n  ";
  for (Node* n : scene.nodes()) {
    text = separator;
    AppendJson(NodeJson(*n), text);
    out(text);
    separator = ",\n  ";
  }
  out(scene.nodes().empty() ? "]\n}\n" : "\n ]\n}\n");
}

}  // namespace

std::string SceneToText(Scene& scene) {
  std::string text;
  WriteScene(scene, [&text](std::string_view piece) { text += piece; });
  return text;
}

std::string SceneFromText(std::string_view text, Scene& scene) {
  JsonStream in(text);
  return ReadProblem(in, scene);
}

std::string SaveSceneDocument(Scene& scene, const std::string& path) {
  int systemError = 0;
  return SaveSceneDocument(scene, path, systemError);
}

std::string SaveSceneDocument(Scene& scene, const std::string& path, int& systemError) {
  systemError = 0;
  zar::OutputFile file;
  if (!file.Open(path)) {
    systemError = file.SystemError();
    return "scene document " + path + ": cannot be written";
  }
  try {
    WriteScene(scene, [&file](std::string_view piece) { file.Write(piece); });
  } catch (const std::exception& e) {
    file.Discard();
    return "scene document " + path + ": cannot be written (" + e.what() + ")";
  }
  if (!file.Commit()) {
    systemError = file.SystemError();
    return "scene document " + path + ": cannot be written";
  }
  return "";
}

std::string LoadSceneDocument(const std::string& path, Scene& scene) {
  int systemError = 0;
  return LoadSceneDocument(path, scene, systemError);
}

std::string LoadSceneDocument(const std::string& path, Scene& scene, int& systemError) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  systemError = file == nullptr ? errno : 0;
  if (file == nullptr) return "scene document " + path + ": cannot be opened";
  JsonStream in(file);
  std::string problem = ReadProblem(in, scene);
  const bool readFailed = in.readFailed();
  std::fclose(file);
  if (readFailed) return "scene document " + path + ": cannot be read";
  return problem.empty() ? "" : "scene document " + path + ": " + problem;
}

std::unique_ptr<FileLock> LockSceneDocument(const std::string& path) {
  return std::make_unique<FileLock>(path, true);
}

}  // namespace modra::host
