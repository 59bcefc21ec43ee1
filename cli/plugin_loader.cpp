#include "cli/plugin_loader.h"

#include <cstdlib>

namespace zar::cli {
namespace {

std::string Text(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

std::string PluginPath(const std::string& option) {
  if (!option.empty()) return option;
  if (const char* env = std::getenv("ZARFILEIO_PLUGIN"); env != nullptr && *env != '\0') return env;
  return ZAR_PLUGIN_PATH;
}

void AddPluginOption(CLI::App& command, std::string& path) {
  command.add_option("--plugin", path,
                     "The plug-in library to load (default: $ZARFILEIO_PLUGIN, else the one "
                     "built with this tool)");
}

std::unique_ptr<LoadedPlugin> LoadedPlugin::Load(const std::string& path, std::string& error) {
  std::unique_ptr<LoadedPlugin> plugin(new LoadedPlugin());
  plugin->path_ = path;
  plugin->library_ = modra::host::PluginLibrary::Load(path, error);
  if (plugin->library_ == nullptr) return nullptr;
  return plugin;
}

std::string LoadedPlugin::Description() const { return Text(library_->Description()); }

std::vector<ClassInfo> LoadedPlugin::Classes() const {
  std::vector<ClassInfo> classes;
  for (int i = 0; i < ClassCount(); ++i) {
    modra::ClassDesc* descriptor = Class(i);
    if (descriptor == nullptr) continue;
    ClassInfo info;
    info.index = i;
    // One text at a time: each call may overwrite the text of the one before.
    info.name = Text(descriptor->ClassName());
    info.internal_name = Text(descriptor->InternalName());
    info.category = Text(descriptor->Category());
    info.super_class = descriptor->SuperClassID();
    info.class_id = descriptor->ClassID();
    info.is_public = descriptor->IsPublic();
    classes.push_back(std::move(info));
  }
  return classes;
}

modra::ClassDesc* LoadedPlugin::Find(const std::string& class_name,
                                     modra::SuperClassId super_class) const {
  for (int i = 0; i < ClassCount(); ++i) {
    modra::ClassDesc* descriptor = Class(i);
    if (descriptor == nullptr || descriptor->SuperClassID() != super_class) continue;
    if (Text(descriptor->ClassName()) == class_name) return descriptor;
  }
  return nullptr;
}

ImporterPtr LoadedPlugin::CreateImporter(const std::string& class_name) const {
  modra::ClassDesc* descriptor = Find(class_name, modra::kSceneImportClass);
  if (descriptor == nullptr) return nullptr;
  return ImporterPtr(static_cast<modra::SceneImport*>(descriptor->Create(0)));
}

ExporterPtr LoadedPlugin::CreateExporter(const std::string& class_name) const {
  modra::ClassDesc* descriptor = Find(class_name, modra::kSceneExportClass);
  if (descriptor == nullptr) return nullptr;
  return ExporterPtr(static_cast<modra::SceneExport*>(descriptor->Create(0)));
}

UtilityPtr LoadedPlugin::CreateUtility(const std::string& class_name) const {
  modra::ClassDesc* descriptor = Find(class_name, modra::kUtilityClass);
  if (descriptor == nullptr) return nullptr;
  return UtilityPtr(static_cast<modra::UtilityObj*>(descriptor->Create(0)));
}

std::string SuperClassName(modra::SuperClassId super_class) {
  switch (super_class) {
    case modra::kSceneImportClass:
      return "scene importer";
    case modra::kSceneExportClass:
      return "scene exporter";
    case modra::kUtilityClass:
      return "utility";
    default:
      return "unknown kind";
  }
}

}  // namespace zar::cli
