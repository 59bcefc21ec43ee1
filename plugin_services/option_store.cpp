#include "plugin_services/option_store.h"

#include <bit>
#include <cstring>
#include <string>

namespace zar {
namespace {

using modra::RegistryKey;

// Creates or opens `sub_key` below `parent` with all access; false on failure.
bool CreateKey(RegistryKey parent, const char* sub_key, RegistryKey& result) {
  return modra::RegistryCreateKey(parent, sub_key, modra::kRegistryAllAccess, &result, nullptr) ==
         modra::kRegistryOk;
}

// Little-endian bytes of an unsigned value.
template <typename Unsigned>
void StoreLittleEndian(Unsigned value, std::uint8_t* out) {
  for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
    out[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

template <typename Unsigned>
Unsigned LoadLittleEndian(const std::uint8_t* in) {
  Unsigned value = 0;
  for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
    value = static_cast<Unsigned>(value | (static_cast<Unsigned>(in[i]) << (8 * i)));
  }
  return value;
}

}  // namespace

OptionStore::OptionStore(const char* product_key, const char* host_key, const char* class_key) {
  Open(product_key, host_key, class_key);
}

OptionStore::~OptionStore() {
  if (is_open_) modra::RegistryCloseKey(key_);
}

void OptionStore::Open(const char* product_key, const char* host_key, const char* class_key) {
  const std::string product_path =
      std::string(kOptionRootKey) + "\\" + (product_key != nullptr ? product_key : "");
  RegistryKey product = 0;
  if (!CreateKey(modra::kCurrentUserKey, product_path.c_str(), product)) return;
  RegistryKey host = 0;
  const bool host_open = CreateKey(product, host_key, host);
  // Only the class key stays open; the outer two are closed as soon as they are passed.
  modra::RegistryCloseKey(product);
  if (!host_open) return;
  RegistryKey key = 0;
  const bool class_open = CreateKey(host, class_key, key);
  modra::RegistryCloseKey(host);
  if (!class_open) return;
  key_ = key;
  is_open_ = true;
}

std::int64_t OptionStore::Query(const char* name, std::uint8_t* data,
                                std::uint32_t capacity) const {
  if (!is_open_) return -1;
  std::uint32_t size = capacity;
  if (modra::RegistryQueryValue(key_, name, nullptr, data, &size) != modra::kRegistryOk) return -1;
  if (size > capacity) return -1;
  return size;
}

bool OptionStore::Write(const char* name, std::uint32_t type, const std::uint8_t* data,
                        std::uint32_t size) {
  if (!is_open_) return false;
  return modra::RegistrySetValue(key_, name, type, data, size) == modra::kRegistryOk;
}

bool OptionStore::GetBool(const char* name, bool& value) const {
  std::uint8_t data[4] = {};
  // An empty value has no first byte to read.
  if (Query(name, data, sizeof data) <= 0) return false;
  value = data[0] != 0;
  return true;
}

bool OptionStore::GetInt(const char* name, std::int32_t& value) const {
  std::uint8_t data[4] = {};
  if (Query(name, data, sizeof data) < 0) return false;
  value = std::bit_cast<std::int32_t>(LoadLittleEndian<std::uint32_t>(data));
  return true;
}

bool OptionStore::GetFloat(const char* name, float& value) const {
  std::uint8_t data[4] = {};
  if (Query(name, data, sizeof data) < 0) return false;
  value = std::bit_cast<float>(LoadLittleEndian<std::uint32_t>(data));
  return true;
}

bool OptionStore::GetDouble(const char* name, double& value) const {
  std::uint8_t data[8] = {};
  if (Query(name, data, sizeof data) < 0) return false;
  value = std::bit_cast<double>(LoadLittleEndian<std::uint64_t>(data));
  return true;
}

bool OptionStore::GetString(const char* name, std::string& value) const {
  std::uint8_t data[kMaxStringValueSize] = {};
  const std::int64_t size = Query(name, data, kMaxStringValueSize);
  if (size < 0) return false;
  // The text ends at its first zero byte, or with the data when it has no terminator.
  const auto* text = reinterpret_cast<const char*>(data);
  const auto length = static_cast<std::size_t>(size);
  const void* zero = std::memchr(text, 0, length);
  value.assign(text, zero != nullptr
                         ? static_cast<std::size_t>(static_cast<const char*>(zero) - text)
                         : length);
  return true;
}

bool OptionStore::SetBool(const char* name, bool value) {
  const std::uint8_t data = value ? 1 : 0;
  return Write(name, modra::kRegistryBinary, &data, 1);
}

bool OptionStore::SetInt(const char* name, std::int32_t value) {
  std::uint8_t data[4];
  StoreLittleEndian(std::bit_cast<std::uint32_t>(value), data);
  return Write(name, modra::kRegistryDword, data, sizeof data);
}

bool OptionStore::SetFloat(const char* name, float value) {
  std::uint8_t data[4];
  StoreLittleEndian(std::bit_cast<std::uint32_t>(value), data);
  return Write(name, modra::kRegistryDword, data, sizeof data);
}

bool OptionStore::SetDouble(const char* name, double value) {
  std::uint8_t data[8];
  StoreLittleEndian(std::bit_cast<std::uint64_t>(value), data);
  return Write(name, modra::kRegistryQword, data, sizeof data);
}

bool OptionStore::SetString(const char* name, const char* value) {
  const char* text = value != nullptr ? value : "";
  const std::size_t size = std::strlen(text) + 1;
  if (size > UINT32_MAX) return false;
  return Write(name, modra::kRegistryString, reinterpret_cast<const std::uint8_t*>(text),
               static_cast<std::uint32_t>(size));
}

}  // namespace zar
