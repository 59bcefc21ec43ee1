#ifndef ZAR_MODRA_REGISTRY_H_
#define ZAR_MODRA_REGISTRY_H_

// The registry of the current user, kept in a JSON file.
//
// Location: the file named by ZARFILEIO_REGISTRY when set, else
// $XDG_CONFIG_HOME/zarfileio/registry.json, else ~/.config/zarfileio/registry.json (a test may
// set another path). Every value keeps its type number and bytes exactly as written.
//
// Every call goes to the file: a change takes an exclusive lock (flock on "<file>.lock"),
// re-reads the file, applies the change and writes the whole file to a temporary file in the
// same folder that is then renamed over it; a read takes a shared lock. So two processes never
// lose each other's values, and a reader never sees half a file. A missing file is an empty
// registry (the first key created makes it); a file that cannot be read or is not a valid
// registry makes every call fail (kRegistryBadStore) and is never overwritten.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "sdk/modra_platform.h"

namespace modra::host {

class RegistryStore {
 public:
  // The process's registry, used by the platform's registry functions.
  static RegistryStore& Instance();

  // The file in use now.
  std::string Path() const;
  // Uses `path` instead of the environment's choice; "" returns to the environment's.
  void SetPathOverride(std::string path);

  // Fault injection: every key create or open fails with kRegistryAccessDenied.
  void SetUnavailable(bool unavailable);
  // Fault injection: keys at or below this path ("Software\Vantrel\...") cannot be created or
  // opened. "" lifts it.
  void SetDeniedKey(std::string path);
  // The last problem with the file itself (unreadable, corrupt, cannot be written), or "".
  std::string lastProblem() const;
  // Forgets every open handle (between tests).
  void CloseAllHandles();

  std::int32_t CreateKey(RegistryKey parent, const char* subKey, std::uint32_t access,
                         RegistryKey* result, std::uint32_t* disposition);
  std::int32_t OpenKey(RegistryKey parent, const char* subKey, std::uint32_t access,
                       RegistryKey* result);
  std::int32_t CloseKey(RegistryKey key);
  std::int32_t SetValue(RegistryKey key, const char* name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size);
  std::int32_t QueryValue(RegistryKey key, const char* name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size);
  std::int32_t DeleteValue(RegistryKey key, const char* name);
  std::int32_t DeleteKey(RegistryKey parent, const char* subKey);
  std::int32_t ListValues(RegistryKey key, std::vector<RegistryValue>& values);
  std::int32_t ListSubKeys(RegistryKey key, std::vector<std::string>& names);

  // One key of the stored tree.
  struct KeyNode {
    std::string name;
    std::vector<RegistryValue> values;
    std::vector<KeyNode> keys;
  };
  // Parses a registry file's text; false and a message naming the problem when it is not a
  // valid registry.
  static bool Parse(const std::string& text, KeyNode& root, std::string& problem);
  static std::string Serialise(const KeyNode& root);

 private:
  struct Handle {
    std::vector<std::string> path;
    std::uint32_t access = 0;
  };
  // The full path of parent + subKey, or a status.
  std::int32_t Resolve(RegistryKey parent, const char* subKey,
                       std::vector<std::string>& path) const;
  bool Denied(const std::vector<std::string>& path) const;
  std::int32_t Load(const std::string& file, KeyNode& root, bool& missing);
  std::int32_t Store(const std::string& file, const KeyNode& root);
  RegistryKey NewHandle(std::vector<std::string> path, std::uint32_t access);

  mutable std::mutex mutex_;
  std::string pathOverride_;
  bool unavailable_ = false;
  std::vector<std::string> denied_;
  std::string lastProblem_;
  std::map<RegistryKey, Handle> handles_;
  RegistryKey nextHandle_ = 0x100;
};

}  // namespace modra::host

#endif  // ZAR_MODRA_REGISTRY_H_
