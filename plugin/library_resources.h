#ifndef ZAR_PLUGIN_LIBRARY_RESOURCES_H_
#define ZAR_PLUGIN_LIBRARY_RESOURCES_H_

// The library's resources as data: the string table, the dialog templates and the About box's
// bitmap. The entry point hands them to the platform when the library is attached; the library
// itself reads them back only through the platform (LoadResourceText, the dialog functions).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sdk/modra_platform.h"

namespace zar {

// Every string of the table, by id.
std::map<std::uint32_t, std::string> StringTable();

// The dialog templates 107, 114, 116, 120, 126 and 127.
std::vector<modra::DialogTemplate> DialogTemplates();

// Everything above plus bitmap 112, as the platform takes it.
modra::ModuleResources LibraryResources();

}  // namespace zar

#endif  // ZAR_PLUGIN_LIBRARY_RESOURCES_H_
