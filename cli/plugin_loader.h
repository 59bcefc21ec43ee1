#ifndef ZAR_CLI_PLUGIN_LOADER_H_
#define ZAR_CLI_PLUGIN_LOADER_H_

// Loading the plug-in the way the host does (dynamic loading, the entry point, LibVersion,
// LibDescription, LibNumberClasses, LibClassDesc) and making its objects through its
// descriptors. Every command that drives the plug-in goes through here.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "modra/modules.h"
#include "sdk/modra_sdk.h"

namespace zar::cli {

// The plug-in file: `--plugin` when given, else ZARFILEIO_PLUGIN when set, else the library
// this tool was built with.
std::string PluginPath(const std::string& option);
// Adds `--plugin FILE` to a command.
void AddPluginOption(CLI::App& command, std::string& path);

// What one descriptor answers, copied at once (the texts come from the plug-in's shared text
// buffer, which the next text overwrites).
struct ClassInfo {
  int index = 0;
  std::string name;
  std::string internal_name;
  std::string category;
  modra::SuperClassId super_class = 0;
  modra::ClassId class_id;
  int is_public = 0;
};

// Owned objects made through a descriptor; the host deletes them through their base class.
using ImporterPtr = std::unique_ptr<modra::SceneImport>;
using ExporterPtr = std::unique_ptr<modra::SceneExport>;
using UtilityPtr = std::unique_ptr<modra::UtilityObj>;

class LoadedPlugin {
 public:
  // The plug-in at `path`, loaded and attached; null and the reason in `error` when it cannot
  // be loaded, lacks an export or was built for another interface version.
  static std::unique_ptr<LoadedPlugin> Load(const std::string& path, std::string& error);

  const std::string& path() const { return path_; }
  modra::host::PluginLibrary& library() { return *library_; }
  std::uint32_t Version() const { return library_->Version(); }
  // The description text (string 1), or "" when the plug-in answers none.
  std::string Description() const;
  int ClassCount() const { return library_->ClassCount(); }
  // Descriptor `index` as LibClassDesc answers it (null outside 0 .. ClassCount() − 1).
  modra::ClassDesc* Class(int index) const { return library_->Class(index); }
  // Every descriptor's answers, in index order.
  std::vector<ClassInfo> Classes() const;
  // The descriptor named `class_name` with super-class `super_class`, or null.
  modra::ClassDesc* Find(const std::string& class_name, modra::SuperClassId super_class) const;

  // New objects of the class named `class_name`; null when the plug-in has no such class of
  // that kind or its create answers null.
  ImporterPtr CreateImporter(const std::string& class_name) const;
  ExporterPtr CreateExporter(const std::string& class_name) const;
  UtilityPtr CreateUtility(const std::string& class_name) const;

 private:
  LoadedPlugin() = default;
  std::string path_;
  std::unique_ptr<modra::host::PluginLibrary> library_;
};

// The super-class number as words ("scene importer", "scene exporter", "utility").
std::string SuperClassName(modra::SuperClassId super_class);

}  // namespace zar::cli

#endif  // ZAR_CLI_PLUGIN_LOADER_H_
