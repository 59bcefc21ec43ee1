#include "utilities/convert_pnx.h"

#include <chrono>
#include <thread>
#include <utility>

namespace zar {

ConvertPNX::ConvertPNX() : store_(kProductKey, kHostKey, "ConvertPNX") { LoadSettings(); }

void ConvertPNX::LoadSettings() {
  store_.GetString("MNMPath", settings_.mnm_path);
  store_.GetString("InputPath", settings_.input_path);
  store_.GetString("OutputPath", settings_.output_path);
  store_.GetBool("Filter", settings_.filter);
  store_.GetBool("Batch", settings_.batch);
  store_.GetBool("TRCName", settings_.trc_name);
  store_.GetBool("TRCSpace", settings_.trc_space);
  store_.GetBool("Offset", settings_.offset);
  store_.GetFloat("OffsetX", settings_.offset_x);
  store_.GetFloat("OffsetY", settings_.offset_y);
  store_.GetFloat("OffsetZ", settings_.offset_z);
}

void ConvertPNX::SaveSettings() {
  store_.SetString("MNMPath", settings_.mnm_path.c_str());
  store_.SetString("InputPath", settings_.input_path.c_str());
  store_.SetString("OutputPath", settings_.output_path.c_str());
  store_.SetBool("Filter", settings_.filter);
  store_.SetBool("Batch", settings_.batch);
  store_.SetBool("TRCName", settings_.trc_name);
  store_.SetBool("TRCSpace", settings_.trc_space);
  store_.SetBool("Offset", settings_.offset);
  store_.SetFloat("OffsetX", settings_.offset_x);
  store_.SetFloat("OffsetY", settings_.offset_y);
  store_.SetFloat("OffsetZ", settings_.offset_z);
}

void ConvertPNX::AddMapping(std::string pnx_name, std::string source_name,
                            std::uint32_t node_handle) {
  mapping_.Add(std::move(pnx_name), std::move(source_name), node_handle);
}

std::uint32_t ConvertPNX::PopMapping() { return mapping_.Pop(); }

bool ConvertPNX::LookupMapping(std::string& name) const { return mapping_.Lookup(name); }

bool ConvertPNX::LoadMapping(const std::string& path) { return mapping_.Load(path); }

bool ConvertPNX::SaveMapping(const std::string& path) const { return mapping_.Save(path); }

bool ConvertPNX::Convert(modra::HostInterface* host) {
  host_ = host;
  return RunPnxConversion({host, &settings_, &mapping_, &trc_});
}

bool ConvertPNX::WritePNX(const std::string& path) {
  return WritePnxForSettings(trc_, settings_, path);
}

int ConvertPNX::HostExiting(modra::WindowHandle /*main_window*/) {
  creator_.leave_pick = true;
  if (host_ != nullptr) host_->StopNodePick();
  // Gives the host a moment to take down the pick mode before it goes on quitting.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  return 1;
}

}  // namespace zar
