#ifndef ZAR_PLUGIN_SERVICES_OPTION_STORE_H_
#define ZAR_PLUGIN_SERVICES_OPTION_STORE_H_

// Named option values of one plug-in class, kept in the registry of the current user at
//   HKEY_CURRENT_USER\Software\Vantrel\<product key>\<host key>\<class key>
// Encodings (the setter fixes the value's type; the getters read the bytes whatever the type):
//   SetBool    REG_BINARY  1 byte, 0 or 1
//   SetInt     REG_DWORD   4 bytes, signed, little-endian
//   SetFloat   REG_DWORD   the 4-byte IEEE-754 single-precision pattern (1.0 is 0x3F800000)
//   SetDouble  REG_QWORD   the 8-byte IEEE-754 double-precision pattern
//   SetString  REG_SZ      the text and its terminating zero
// Every get and set goes to the registry at once; nothing is cached. A failed get leaves its
// target as it was, so an owner's record keeps its defaults for values never stored.

#include <cstdint>
#include <string>

#include "plugin_description/option_rows.h"
#include "sdk/modra_platform.h"

namespace zar {

// The keys every store of the library lies under.
using description::kHostKey;
using description::kOptionRootKey;
using description::kProductKey;

// Bytes GetString reads at most: the text and its terminator.
inline constexpr std::uint32_t kMaxStringValueSize = 1024;

class OptionStore {
 public:
  // Opens the class key, creating every missing level of its path. When any level cannot be
  // created or opened the store stays closed and every get and set answers false; nothing is
  // shown to the user.
  OptionStore(const char* product_key, const char* host_key, const char* class_key);
  ~OptionStore();
  OptionStore(const OptionStore&) = delete;
  OptionStore& operator=(const OptionStore&) = delete;

  bool IsOpen() const { return is_open_; }

  // Each answers true when the value was read; data of up to 4 bytes (8 for GetDouble) is
  // accepted, and shorter data is read as if padded with zero bytes. A bool is true when the
  // first byte is not zero.
  bool GetBool(const char* name, bool& value) const;
  bool GetInt(const char* name, std::int32_t& value) const;
  bool GetFloat(const char* name, float& value) const;
  bool GetDouble(const char* name, double& value) const;
  // Up to kMaxStringValueSize bytes; the text is taken up to its first zero byte.
  bool GetString(const char* name, std::string& value) const;

  // Each answers true when the value was written, replacing any value of that name.
  bool SetBool(const char* name, bool value);
  bool SetInt(const char* name, std::int32_t value);
  bool SetFloat(const char* name, float value);
  bool SetDouble(const char* name, double value);
  // A null text is written as the empty text.
  bool SetString(const char* name, const char* value);

 private:
  void Open(const char* product_key, const char* host_key, const char* class_key);
  // Reads at most `capacity` bytes of value `name` into `data` and answers how many, or -1.
  std::int64_t Query(const char* name, std::uint8_t* data, std::uint32_t capacity) const;
  bool Write(const char* name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size);

  bool is_open_ = false;
  modra::RegistryKey key_ = 0;  // the class key; meaningful only while is_open_
};

}  // namespace zar

#endif  // ZAR_PLUGIN_SERVICES_OPTION_STORE_H_
