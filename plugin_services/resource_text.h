#ifndef ZAR_PLUGIN_SERVICES_RESOURCE_TEXT_H_
#define ZAR_PLUGIN_SERVICES_RESOURCE_TEXT_H_

// The module instance handle and the loader of the library's string table.

#include <cstddef>
#include <cstdint>

#include "sdk/modra_platform.h"

namespace zar {

// Characters of the shared text buffer, terminator included.
inline constexpr std::size_t kResourceTextSize = 256;

// The handle the platform gave the library when it attached it; null before that.
modra::ModuleHandle ModuleInstance();
void SetModuleInstance(modra::ModuleHandle module);

// Loads string `id` of the library's table into the one shared buffer (at most 255 characters)
// and answers the buffer, or null when the module instance is not set or the string does not
// exist. The text stays valid only until the next call: a caller that needs two texts at once
// (a message and its caption) copies the first into a buffer of its own.
const char* LoadResourceText(std::uint32_t id);

}  // namespace zar

#endif  // ZAR_PLUGIN_SERVICES_RESOURCE_TEXT_H_
