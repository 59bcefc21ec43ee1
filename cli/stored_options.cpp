#include "cli/stored_options.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "modra/registry.h"
#include "plugin_description/option_rows.h"

namespace zar::cli {
namespace {

std::string ClassPath(const std::string& optionClass) {
  return std::string(description::kOptionsPath) + "\\" + optionClass;
}

bool ListClasses(std::vector<std::string>& names) {
  modra::RegistryKey key = 0;
  if (modra::RegistryOpenKey(modra::kCurrentUserKey, description::kOptionsPath,
                             modra::kRegistryRead, &key) != modra::kRegistryOk) {
    return false;
  }
  const bool listed = modra::RegistryListSubKeys(key, names) == modra::kRegistryOk;
  modra::RegistryCloseKey(key);
  return listed;
}

bool ListValues(const std::string& optionClass, std::vector<modra::RegistryValue>& values) {
  modra::RegistryKey key = 0;
  if (modra::RegistryOpenKey(modra::kCurrentUserKey, ClassPath(optionClass).c_str(),
                             modra::kRegistryRead, &key) != modra::kRegistryOk) {
    return false;
  }
  const bool listed = modra::RegistryListValues(key, values) == modra::kRegistryOk;
  modra::RegistryCloseKey(key);
  return listed;
}

bool SameValue(const modra::RegistryValue& a, const modra::RegistryValue& b) {
  return a.name == b.name && a.type == b.type && a.data == b.data;
}

// Sets the values of one class key back to `before`; true when any had changed.
bool RestoreClass(const std::string& optionClass, const std::vector<modra::RegistryValue>& before) {
  modra::RegistryKey key = 0;
  bool changed = false;
  if (modra::RegistryCreateKey(modra::kCurrentUserKey, ClassPath(optionClass).c_str(),
                               modra::kRegistryAllAccess, &key, nullptr) != modra::kRegistryOk) {
    return changed;
  }
  std::vector<modra::RegistryValue> now;
  modra::RegistryListValues(key, now);
  for (const modra::RegistryValue& value : now) {
    const bool kept = std::any_of(before.begin(), before.end(),
                                  [&](const auto& old) { return old.name == value.name; });
    if (!kept) {
      modra::RegistryDeleteValue(key, value.name.c_str());
      changed = true;
    }
  }
  for (const modra::RegistryValue& old : before) {
    const bool same = std::any_of(now.begin(), now.end(),
                                  [&](const auto& value) { return SameValue(old, value); });
    if (!same) {
      modra::RegistrySetValue(key, old.name.c_str(), old.type, old.data.data(),
                              static_cast<std::uint32_t>(old.data.size()));
      changed = true;
    }
  }
  modra::RegistryCloseKey(key);
  return changed;
}

}  // namespace

StoredOptions StoredOptions::Take() {
  StoredOptions taken;
  taken.file_ = modra::host::RegistryStore::Instance().Path();
  std::error_code ec;
  taken.fileExisted_ = std::filesystem::exists(taken.file_, ec);
  std::vector<std::string> names;
  if (!taken.fileExisted_ || !ListClasses(names)) return taken;
  for (const std::string& name : names) {
    std::vector<modra::RegistryValue> values;
    if (ListValues(name, values)) taken.classes_[name] = std::move(values);
  }
  return taken;
}

bool StoredOptions::Forget(const std::string& optionClass) {
  const std::int32_t deleted =
      modra::RegistryDeleteKey(modra::kCurrentUserKey, ClassPath(optionClass).c_str());
  return deleted == modra::kRegistryOk || deleted == modra::kRegistryNotFound;
}

bool StoredOptions::Restore() const {
  std::vector<std::string> names;
  ListClasses(names);
  bool changed = false;
  for (const std::string& name : names) {
    if (classes_.count(name) == 0) {
      // A key the plug-in only opened holds no value: removing it changes no option.
      std::vector<modra::RegistryValue> values;
      changed = (ListValues(name, values) && !values.empty()) || changed;
      modra::RegistryDeleteKey(modra::kCurrentUserKey, ClassPath(name).c_str());
    }
  }
  bool anyValue = false;
  for (const auto& [name, values] : classes_) {
    changed = RestoreClass(name, values) || changed;
    anyValue = anyValue || !values.empty();
  }
  if (!fileExisted_ && !anyValue) {
    std::error_code ec;
    std::filesystem::remove(file_, ec);
  }
  return changed;
}

}  // namespace zar::cli
