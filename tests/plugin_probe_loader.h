#ifndef ZAR_TESTS_PLUGIN_PROBE_LOADER_H_
#define ZAR_TESTS_PLUGIN_PROBE_LOADER_H_

// One load of the probe copy of the plug-in, made the way the host loads a plug-in, with its
// option records at hand.

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <string>

#include "modra/modules.h"
#include "tests/plugin_probe.h"

namespace zar::testing {

class ProbePlugin {
 public:
  // The probe at `path`, or null and the reason in `error`.
  static std::unique_ptr<ProbePlugin> Load(const std::string& path, std::string& error) {
    std::unique_ptr<ProbePlugin> probe(new ProbePlugin());
    probe->library_ = modra::host::PluginLibrary::Load(path, error);
    if (probe->library_ == nullptr) return nullptr;
    void* handle = probe->library_->module()->library;
    probe->import_htr_ = Symbol<ZarProbeImportHTRFunction>(handle, kProbeImportHTR);
    probe->import_trc_ = Symbol<ZarProbeImportTRCFunction>(handle, kProbeImportTRC);
    probe->export_htr_ = Symbol<ZarProbeExportHTRFunction>(handle, kProbeExportHTR);
    probe->load_ = Symbol<ZarProbeRecordFunction>(handle, kProbeLoad);
    probe->save_ = Symbol<ZarProbeRecordFunction>(handle, kProbeSave);
    if (!probe->import_htr_ || !probe->import_trc_ || !probe->export_htr_ || !probe->load_ ||
        !probe->save_) {
      error = path + " is not a probe build of the plug-in";
      return nullptr;
    }
    return probe;
  }

  modra::host::PluginLibrary& library() { return *library_; }
  ImportHTROptions& import_htr() { return *import_htr_(); }
  ImportTRCOptions& import_trc() { return *import_trc_(); }
  ExportHTROptions& export_htr() { return *export_htr_(); }
  bool Load(const char* class_key) { return load_(class_key); }
  bool Save(const char* class_key) { return save_(class_key); }

 private:
  ProbePlugin() = default;

  template <typename Function>
  static Function Symbol(void* handle, const char* name) {
    void* address = dlsym(handle, name);
    Function function = nullptr;
    static_assert(sizeof function == sizeof address);
    std::memcpy(&function, &address, sizeof function);
    return function;
  }

  std::unique_ptr<modra::host::PluginLibrary> library_;
  ZarProbeImportHTRFunction import_htr_ = nullptr;
  ZarProbeImportTRCFunction import_trc_ = nullptr;
  ZarProbeExportHTRFunction export_htr_ = nullptr;
  ZarProbeRecordFunction load_ = nullptr;
  ZarProbeRecordFunction save_ = nullptr;
};

}  // namespace zar::testing

#endif  // ZAR_TESTS_PLUGIN_PROBE_LOADER_H_
