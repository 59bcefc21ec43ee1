#include "plugin_services/plugin_class_desc.h"

#include "plugin_description/resource_ids.h"
#include "plugin_services/resource_text.h"

namespace zar {

const char* PluginClassDesc::ClassName() { return LoadResourceText(name_string_); }

const char* PluginClassDesc::Category() { return LoadResourceText(resource::kCategory); }

modra::ModuleHandle PluginClassDesc::ModuleInstance() { return zar::ModuleInstance(); }

}  // namespace zar
