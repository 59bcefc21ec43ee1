#ifndef ZAR_UTILITIES_PNX_CONVERSION_H_
#define ZAR_UTILITIES_PNX_CONVERSION_H_

// The TRC to PNX conversion the utilities panel starts: source files chosen in the open-file
// dialog, one PNX file each, and in batch mode a log beside the PNX files.

#include <string>

#include "filelib/trc_file.h"
#include "sdk/modra_sdk.h"
#include "utilities/mnm_mapping.h"
#include "utilities/pnx_paths.h"

namespace zar {

// The converter settings, as the panel edits them and the registry keeps them; ConvertPNX gives
// them their built-in values (plugin_description/option_rows.h).
struct PnxSettings {
  std::string mnm_path;     // the mapping file, loaded at every conversion
  std::string input_path;   // where the source dialog opens; a batch sets it
  std::string output_path;  // folder of batch PNX files and the log
  bool filter;              // rename mapped markers, drop the others
  bool batch;               // several source files and a log
  bool trc_name;            // name each PNX file after its TRC file instead of asking
  bool trc_space;           // the offset is in TRC axes (else in Modra axes)
  bool offset;              // add the offset to every position
  float offset_x;
  float offset_y;
  float offset_z;
};

// Everything one conversion works on. The mapping list keeps what the conversion loaded into
// it; the TRC model is emptied after each file.
struct PnxJob {
  modra::HostInterface* host = nullptr;
  PnxSettings* settings = nullptr;
  MappingList* mapping = nullptr;
  TRCFile* trc = nullptr;
};

// Runs one conversion with the current settings. True when every chosen file was converted;
// false when the conversion stopped early, did nothing, or a file of a batch could not be read.
bool RunPnxConversion(const PnxJob& job);

// Writes the PNX file of `trc` to `path` with the current time and the placement of
// `settings`; false (nothing written) when the file cannot be created or written.
bool WritePnxForSettings(const TRCFile& trc, const PnxSettings& settings, const std::string& path);

}  // namespace zar

#endif  // ZAR_UTILITIES_PNX_CONVERSION_H_
