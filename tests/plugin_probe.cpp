// Built into the probe copy of the plug-in only (see plugin_probe.h).

#include "tests/plugin_probe.h"

#include <cstring>

#define ZAR_PROBE_EXPORT extern "C" __attribute__((visibility("default")))

ZAR_PROBE_EXPORT zar::ImportHTROptions* ZarProbeImportHTR() { return &zar::import_htr_options; }
ZAR_PROBE_EXPORT zar::ImportTRCOptions* ZarProbeImportTRC() { return &zar::import_trc_options; }
ZAR_PROBE_EXPORT zar::ExportHTROptions* ZarProbeExportHTR() { return &zar::export_htr_options; }

ZAR_PROBE_EXPORT bool ZarProbeLoad(const char* class_key) {
  if (std::strcmp(class_key, "ImportHTR") == 0) return zar::import_htr_options.Load();
  if (std::strcmp(class_key, "ImportTRC") == 0) return zar::import_trc_options.Load();
  if (std::strcmp(class_key, "ExportHTR") == 0) return zar::export_htr_options.Load();
  return false;
}

ZAR_PROBE_EXPORT bool ZarProbeSave(const char* class_key) {
  if (std::strcmp(class_key, "ImportHTR") == 0) return zar::import_htr_options.Save();
  if (std::strcmp(class_key, "ImportTRC") == 0) return zar::import_trc_options.Save();
  if (std::strcmp(class_key, "ExportHTR") == 0) return zar::export_htr_options.Save();
  return false;
}
