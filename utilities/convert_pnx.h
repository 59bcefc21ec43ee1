#ifndef ZAR_UTILITIES_CONVERT_PNX_H_
#define ZAR_UTILITIES_CONVERT_PNX_H_

// The converter inside the utilities panel: its settings (kept in the registry under
// "ConvertPNX"), the marker-name mapping list, the TRC model of the file being converted, and
// the state of the MNM creator.

#include <cstdint>
#include <string>
#include <vector>

#include "filelib/trc_file.h"
#include "plugin_services/option_store.h"
#include "sdk/modra_sdk.h"
#include "utilities/mnm_mapping.h"
#include "utilities/pnx_conversion.h"

namespace zar {

// Where the MNM creator is: its dialog, the step running, the wrist-stick answers, and the two
// flags that end the pick under way (leave_pick) or the whole sequence (abort).
struct CreatorState {
  modra::WindowHandle dialog = nullptr;
  std::int32_t step = 0;
  bool left_wrist_stick = false;
  bool right_wrist_stick = false;
  bool leave_pick = false;
  bool abort = false;
  // Back was pressed: the step under way ends and the previous one runs next.
  bool back = false;
  // The step each entry the creator added was picked in, in list order (entries that were in
  // the list before the creator started have none).
  std::vector<std::int32_t> entry_steps;
};

class ConvertPNX : public modra::ExitModraCallback {
 public:
  // Opens the "ConvertPNX" store and reads the settings over their defaults.
  ConvertPNX();
  ConvertPNX(const ConvertPNX&) = delete;
  ConvertPNX& operator=(const ConvertPNX&) = delete;

  // Reads every setting that is stored; the others keep their values.
  void LoadSettings();
  // Writes every setting, in the order they are read.
  void SaveSettings();

  // The mapping list (see MappingList).
  void AddMapping(std::string pnx_name, std::string source_name, std::uint32_t node_handle);
  std::uint32_t PopMapping();
  bool LookupMapping(std::string& name) const;
  bool LoadMapping(const std::string& path);
  bool SaveMapping(const std::string& path) const;

  // Runs one conversion with the current settings (see RunPnxConversion).
  bool Convert(modra::HostInterface* host);
  // Writes the PNX file of the current TRC model; false (nothing written) when it cannot be.
  bool WritePNX(const std::string& path);

  // The host is quitting while the MNM creator waits for a pick: the pick ends as if skipped.
  int HostExiting(modra::WindowHandle main_window) override;

  PnxSettings& Settings() { return settings_; }
  const PnxSettings& Settings() const { return settings_; }
  MappingList& Mapping() { return mapping_; }
  TRCFile& Trc() { return trc_; }
  CreatorState& Creator() { return creator_; }
  modra::HostInterface* Host() const { return host_; }
  void SetHost(modra::HostInterface* host) { host_ = host; }

 private:
  modra::HostInterface* host_ = nullptr;
  MappingList mapping_;
  TRCFile trc_;
  OptionStore store_;
  CreatorState creator_;
  PnxSettings settings_;
};

}  // namespace zar

#endif  // ZAR_UTILITIES_CONVERT_PNX_H_
