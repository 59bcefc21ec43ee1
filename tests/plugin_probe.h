#ifndef ZAR_TESTS_PLUGIN_PROBE_H_
#define ZAR_TESTS_PLUGIN_PROBE_H_

// A test build of the plug-in (the probe) exports, beside the host's entry points, its three
// option records and their Load and Save, so that tests can save options through one load of
// the plug-in and read them through another. Records are named by their class key.

#include <string>

#include "export_htr/export_htr_options.h"
#include "import_htr/import_htr_options.h"
#include "import_trc/import_trc_options.h"

extern "C" {
using ZarProbeImportHTRFunction = zar::ImportHTROptions* (*)();
using ZarProbeImportTRCFunction = zar::ImportTRCOptions* (*)();
using ZarProbeExportHTRFunction = zar::ExportHTROptions* (*)();
// Load or Save of the record of `class_key`; false for an unknown key.
using ZarProbeRecordFunction = bool (*)(const char* class_key);
}

namespace zar::testing {

inline constexpr const char* kProbeImportHTR = "ZarProbeImportHTR";
inline constexpr const char* kProbeImportTRC = "ZarProbeImportTRC";
inline constexpr const char* kProbeExportHTR = "ZarProbeExportHTR";
inline constexpr const char* kProbeLoad = "ZarProbeLoad";
inline constexpr const char* kProbeSave = "ZarProbeSave";

}  // namespace zar::testing

#endif  // ZAR_TESTS_PLUGIN_PROBE_H_
