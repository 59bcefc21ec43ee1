#include "modra/registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

#include "atomic_file/output_file.h"
#include "modra/file_lock.h"
#include "text/ascii_case.h"

namespace modra::host {
namespace {

using Json = nlohmann::json;
using KeyNode = RegistryStore::KeyNode;

constexpr const char* kFormat = "zarfileio-registry";

std::vector<std::string> SplitKeyPath(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

KeyNode* FindChild(KeyNode& node, const std::string& name) {
  for (KeyNode& k : node.keys)
    if (zar::text::SameIgnoringCase(k.name, name)) return &k;
  return nullptr;
}

KeyNode* Walk(KeyNode& root, const std::vector<std::string>& path) {
  KeyNode* node = &root;
  for (const std::string& part : path) {
    node = FindChild(*node, part);
    if (node == nullptr) return nullptr;
  }
  return node;
}

RegistryValue* FindValue(KeyNode& node, const std::string& name) {
  for (RegistryValue& v : node.values)
    if (zar::text::SameIgnoringCase(v.name, name)) return &v;
  return nullptr;
}

std::string Hex(const std::vector<std::uint8_t>& data) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  s.reserve(data.size() * 2);
  for (std::uint8_t b : data) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

bool Unhex(const std::string& s, std::vector<std::uint8_t>& out) {
  if (s.size() % 2 != 0) return false;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  out.clear();
  for (std::size_t i = 0; i < s.size(); i += 2) {
    const int hi = nibble(s[i]), lo = nibble(s[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return true;
}

Json ToJson(const KeyNode& node) {
  Json values = Json::array();
  for (const RegistryValue& v : node.values)
    values.push_back({{"name", v.name}, {"type", v.type}, {"data", Hex(v.data)}});
  Json keys = Json::array();
  for (const KeyNode& k : node.keys) keys.push_back(ToJson(k));
  return {{"name", node.name}, {"values", values}, {"keys", keys}};
}

// Reads a key; `where` names it in problems. Depth is bounded so a hostile file cannot exhaust
// the stack.
bool FromJson(const Json& j, KeyNode& node, const std::string& where, int depth,
              std::string& problem) {
  if (depth > 64) {
    problem = "keys nested deeper than 64 levels at " + where;
    return false;
  }
  if (!j.is_object() || !j.contains("name") || !j["name"].is_string() || !j.contains("values") ||
      !j["values"].is_array() || !j.contains("keys") || !j["keys"].is_array()) {
    problem = "key " + where + " is not an object with name, values and keys";
    return false;
  }
  node.name = j["name"].get<std::string>();
  const std::string here = where.empty() ? node.name : where + "\\" + node.name;
  for (const Json& v : j["values"]) {
    RegistryValue value;
    if (!v.is_object() || !v.contains("name") || !v["name"].is_string() || !v.contains("type") ||
        !v["type"].is_number_unsigned() || !v.contains("data") || !v["data"].is_string() ||
        !Unhex(v["data"].get<std::string>(), value.data)) {
      problem = "a value of key " + here + " is not {name, type, data as hex}";
      return false;
    }
    value.name = v["name"].get<std::string>();
    const auto type = v["type"].get<std::uint64_t>();
    if (type > 0xFFFFFFFFu) {
      problem = "value " + value.name + " of key " + here + " has a type out of range";
      return false;
    }
    value.type = static_cast<std::uint32_t>(type);
    node.values.push_back(std::move(value));
  }
  for (const Json& k : j["keys"]) {
    KeyNode child;
    if (!FromJson(k, child, here, depth + 1, problem)) return false;
    node.keys.push_back(std::move(child));
  }
  return true;
}

}  // namespace

RegistryStore& RegistryStore::Instance() {
  static RegistryStore store;
  return store;
}

std::string RegistryStore::Path() const {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!pathOverride_.empty()) return pathOverride_;
  }
  if (const char* env = std::getenv("ZARFILEIO_REGISTRY"); env != nullptr && *env != '\0')
    return env;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
    return std::string(xdg) + "/zarfileio/registry.json";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr && *home != '\0' ? home : ".") +
         "/.config/zarfileio/registry.json";
}

void RegistryStore::SetPathOverride(std::string path) {
  std::lock_guard<std::mutex> lock(mutex_);
  pathOverride_ = std::move(path);
}

void RegistryStore::SetUnavailable(bool unavailable) {
  std::lock_guard<std::mutex> lock(mutex_);
  unavailable_ = unavailable;
}

void RegistryStore::SetDeniedKey(std::string path) {
  std::lock_guard<std::mutex> lock(mutex_);
  denied_ = SplitKeyPath(path);
}

std::string RegistryStore::lastProblem() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastProblem_;
}

void RegistryStore::CloseAllHandles() {
  std::lock_guard<std::mutex> lock(mutex_);
  handles_.clear();
}

bool RegistryStore::Parse(const std::string& text, KeyNode& root, std::string& problem) {
  Json j = Json::parse(text, nullptr, false);
  if (j.is_discarded()) {
    problem = "not valid JSON";
    return false;
  }
  if (!j.is_object() || !j.contains("format") || j["format"] != kFormat) {
    problem = "not a registry file (no \"format\": \"" + std::string(kFormat) + "\")";
    return false;
  }
  if (!j.contains("version") || j["version"] != 1) {
    problem = "registry file version is not 1";
    return false;
  }
  if (!j.contains("root")) {
    problem = "no root key";
    return false;
  }
  root = KeyNode();
  return FromJson(j["root"], root, "", 0, problem);
}

std::string RegistryStore::Serialise(const KeyNode& root) {
  Json j = {{"format", kFormat}, {"version", 1}, {"root", ToJson(root)}};
  return j.dump(1) + "\n";
}

std::int32_t RegistryStore::Load(const std::string& file, KeyNode& root, bool& missing) {
  missing = false;
  root = KeyNode();
  root.name = "HKEY_CURRENT_USER";
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    missing = true;
    return kRegistryOk;
  }
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string problem;
  if (!in.good() && !in.eof()) {
    problem = "cannot be read";
  } else if (!Parse(text.str(), root, problem)) {
    problem = "is not a valid registry: " + problem;
  } else {
    return kRegistryOk;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  lastProblem_ = "registry file " + file + " " + problem;
  return kRegistryBadStore;
}

std::int32_t RegistryStore::Store(const std::string& file, const KeyNode& root) {
  // Written beside the file (through a symbolic link, into the file it points to) and renamed
  // over it once every byte is on the disk.
  zar::OutputFile out;
  errno = 0;
  if (out.Open(file)) {
    out.Write(Serialise(root));
    if (out.Commit(true)) return kRegistryOk;
  }
  const int error = errno;
  std::lock_guard<std::mutex> lock(mutex_);
  lastProblem_ = "registry file " + file + " cannot be written" +
                 (error != 0 ? std::string(": ") + std::strerror(error) : std::string());
  return kRegistryBadStore;
}

std::int32_t RegistryStore::Resolve(RegistryKey parent, const char* subKey,
                                    std::vector<std::string>& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (parent == kCurrentUserKey) {
    path.clear();
  } else {
    auto it = handles_.find(parent);
    if (it == handles_.end()) return kRegistryInvalidHandle;
    path = it->second.path;
  }
  for (std::string& part : SplitKeyPath(subKey ? subKey : "")) path.push_back(std::move(part));
  return kRegistryOk;
}

bool RegistryStore::Denied(const std::vector<std::string>& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (unavailable_) return true;
  if (denied_.empty() || path.size() < denied_.size()) return false;
  for (std::size_t i = 0; i < denied_.size(); ++i)
    if (!zar::text::SameIgnoringCase(path[i], denied_[i])) return false;
  return true;
}

RegistryKey RegistryStore::NewHandle(std::vector<std::string> path, std::uint32_t access) {
  std::lock_guard<std::mutex> lock(mutex_);
  const RegistryKey key = nextHandle_++;
  handles_[key] = Handle{std::move(path), access};
  return key;
}

std::int32_t RegistryStore::CreateKey(RegistryKey parent, const char* subKey, std::uint32_t access,
                                      RegistryKey* result, std::uint32_t* disposition) {
  if (result == nullptr) return kRegistryInvalidParameter;
  std::vector<std::string> path;
  if (std::int32_t rc = Resolve(parent, subKey, path); rc != kRegistryOk) return rc;
  if (Denied(path)) return kRegistryAccessDenied;
  const std::string file = Path();
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::path(file).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  FileLock lock(file, true);
  if (!lock.held()) return kRegistryBadStore;
  KeyNode root;
  bool missing = false;
  if (std::int32_t rc = Load(file, root, missing); rc != kRegistryOk) return rc;
  KeyNode* node = &root;
  bool created = false;
  for (const std::string& part : path) {
    KeyNode* next = FindChild(*node, part);
    if (next == nullptr) {
      node->keys.push_back(KeyNode{part, {}, {}});
      next = &node->keys.back();
      created = true;
    }
    node = next;
  }
  if (created || missing)
    if (std::int32_t rc = Store(file, root); rc != kRegistryOk) return rc;
  if (disposition != nullptr)
    *disposition = created ? kRegistryCreatedNewKey : kRegistryOpenedExistingKey;
  *result = NewHandle(std::move(path), access);
  return kRegistryOk;
}

std::int32_t RegistryStore::OpenKey(RegistryKey parent, const char* subKey, std::uint32_t access,
                                    RegistryKey* result) {
  if (result == nullptr) return kRegistryInvalidParameter;
  std::vector<std::string> path;
  if (std::int32_t rc = Resolve(parent, subKey, path); rc != kRegistryOk) return rc;
  if (Denied(path)) return kRegistryAccessDenied;
  const std::string file = Path();
  FileLock lock(file, false);
  KeyNode root;
  bool missing = false;
  if (std::int32_t rc = Load(file, root, missing); rc != kRegistryOk) return rc;
  if (Walk(root, path) == nullptr) return kRegistryNotFound;
  *result = NewHandle(std::move(path), access);
  return kRegistryOk;
}

std::int32_t RegistryStore::CloseKey(RegistryKey key) {
  if (key == kCurrentUserKey) return kRegistryOk;
  std::lock_guard<std::mutex> lock(mutex_);
  return handles_.erase(key) != 0 ? kRegistryOk : kRegistryInvalidHandle;
}

std::int32_t RegistryStore::SetValue(RegistryKey key, const char* name, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size) {
  std::vector<std::string> path;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (key != kCurrentUserKey) {
      auto it = handles_.find(key);
      if (it == handles_.end()) return kRegistryInvalidHandle;
      if ((it->second.access & kRegistrySetValueRight) == 0) return kRegistryAccessDenied;
      path = it->second.path;
    }
  }
  if (data == nullptr && size != 0) return kRegistryInvalidParameter;
  const std::string file = Path();
  FileLock lock(file, true);
  if (!lock.held()) return kRegistryBadStore;
  KeyNode root;
  bool missing = false;
  if (std::int32_t rc = Load(file, root, missing); rc != kRegistryOk) return rc;
  KeyNode* node = Walk(root, path);
  if (node == nullptr) return kRegistryNotFound;
  const std::string valueName = name ? name : "";
  RegistryValue* value = FindValue(*node, valueName);
  if (value == nullptr) {
    node->values.push_back(RegistryValue{valueName, 0, {}});
    value = &node->values.back();
  }
  value->type = type;
  value->data.assign(data, data + size);
  return Store(file, root);
}

std::int32_t RegistryStore::QueryValue(RegistryKey key, const char* name, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* size) {
  std::vector<std::string> path;
  if (std::int32_t rc = Resolve(key, "", path); rc != kRegistryOk) return rc;
  if (data != nullptr && size == nullptr) return kRegistryInvalidParameter;
  const std::string file = Path();
  FileLock lock(file, false);
  KeyNode root;
  bool missing = false;
  if (std::int32_t rc = Load(file, root, missing); rc != kRegistryOk) return rc;
  KeyNode* node = Walk(root, path);
  if (node == nullptr) return kRegistryNotFound;
  RegistryValue* value = FindValue(*node, name ? name : "");
  if (value == nullptr) return kRegistryNotFound;
  if (type != nullptr) *type = value->type;
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  if (data != nullptr) {
    if (*size < needed) {
      *size = needed;
      return kRegistryMoreData;
    }
    if (needed != 0) std::memcpy(data, value->data.data(), needed);
  }
  if (size != nullptr) *size = needed;
  return kRegistryOk;
}

std::int32_t RegistryStore::DeleteValue(RegistryKey key, const char* name) {
  std::vector<std::string> path;
  if (std::int32_t rc = Resolve(key, "", path); rc != kRegistryOk) return rc;
  const std::string file = Path();
  FileLock lock(file, true);
  if (!lock.held()) return kRegistryBadStore;
  KeyNode root;
  bool missing = false;
  if (std::int32_t rc = Load(file, root, missing); rc != kRegistryOk) return rc;
  KeyNode* node = Walk(root, path);
  if (node == nullptr) return kRegistryNotFound;
  const std::string valueName = name ? name : "";
  for (auto it = node->values.begin(); it != node->values.end(); ++it) {
    if (zar::text::SameIgnoringCase(it->name, valueName)) {
      node->values.erase(it);
      return Store(file, root);
    }
  }
  return kRegistryNotFound;
}

std::int32_t RegistryStore::DeleteKey(RegistryKey parent, const char* subKey) {
  std::vector<std::string> path;
  if (std::int32_t rc = Resolve(parent, subKey, path); rc != kRegistryOk) return rc;
  if (path.empty()) return kRegistryAccessDenied;
  if (Denied(path)) return kRegistryAccessDenied;
  const std::string file = Path();
  FileLock lock(file, true);
  if (!lock.held()) return kRegistryBadStore;
  KeyNode root;
  bool missing = false;
  if (std::int32_t rc = Load(file, root, missing); rc != kRegistryOk) return rc;
  std::vector<std::string> parentPath(path.begin(), path.end() - 1);
  KeyNode* node = Walk(root, parentPath);
  if (node == nullptr) return kRegistryNotFound;
  for (auto it = node->keys.begin(); it != node->keys.end(); ++it) {
    if (zar::text::SameIgnoringCase(it->name, path.back())) {
      node->keys.erase(it);
      return Store(file, root);
    }
  }
  return kRegistryNotFound;
}

std::int32_t RegistryStore::ListValues(RegistryKey key, std::vector<RegistryValue>& values) {
  std::vector<std::string> path;
  if (std::int32_t rc = Resolve(key, "", path); rc != kRegistryOk) return rc;
  const std::string file = Path();
  FileLock lock(file, false);
  KeyNode root;
  bool missing = false;
  if (std::int32_t rc = Load(file, root, missing); rc != kRegistryOk) return rc;
  KeyNode* node = Walk(root, path);
  if (node == nullptr) return kRegistryNotFound;
  values = node->values;
  return kRegistryOk;
}

std::int32_t RegistryStore::ListSubKeys(RegistryKey key, std::vector<std::string>& names) {
  std::vector<std::string> path;
  if (std::int32_t rc = Resolve(key, "", path); rc != kRegistryOk) return rc;
  const std::string file = Path();
  FileLock lock(file, false);
  KeyNode root;
  bool missing = false;
  if (std::int32_t rc = Load(file, root, missing); rc != kRegistryOk) return rc;
  KeyNode* node = Walk(root, path);
  if (node == nullptr) return kRegistryNotFound;
  names.clear();
  for (const KeyNode& k : node->keys) names.push_back(k.name);
  return kRegistryOk;
}

}  // namespace modra::host

// -------------------------------------------------------------------------------------------------

namespace modra {

using host::RegistryStore;

std::int32_t RegistryCreateKey(RegistryKey parent, const char* subKey, std::uint32_t access,
                               RegistryKey* result, std::uint32_t* disposition) {
  return RegistryStore::Instance().CreateKey(parent, subKey, access, result, disposition);
}
std::int32_t RegistryOpenKey(RegistryKey parent, const char* subKey, std::uint32_t access,
                             RegistryKey* result) {
  return RegistryStore::Instance().OpenKey(parent, subKey, access, result);
}
std::int32_t RegistryCloseKey(RegistryKey key) { return RegistryStore::Instance().CloseKey(key); }
std::int32_t RegistrySetValue(RegistryKey key, const char* name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) {
  return RegistryStore::Instance().SetValue(key, name, type, data, size);
}
std::int32_t RegistryQueryValue(RegistryKey key, const char* name, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* size) {
  return RegistryStore::Instance().QueryValue(key, name, type, data, size);
}
std::int32_t RegistryDeleteValue(RegistryKey key, const char* name) {
  return RegistryStore::Instance().DeleteValue(key, name);
}
std::int32_t RegistryDeleteKey(RegistryKey parent, const char* subKey) {
  return RegistryStore::Instance().DeleteKey(parent, subKey);
}
std::int32_t RegistryListValues(RegistryKey key, std::vector<RegistryValue>& values) {
  return RegistryStore::Instance().ListValues(key, values);
}
std::int32_t RegistryListSubKeys(RegistryKey key, std::vector<std::string>& names) {
  return RegistryStore::Instance().ListSubKeys(key, names);
}

}  // namespace modra
