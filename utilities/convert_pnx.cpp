#include "utilities/convert_pnx.h"

#include <array>
#include <chrono>
#include <thread>
#include <utility>

#include "plugin_services/option_fields.h"

namespace zar {

namespace {

using Fields = std::array<OptionField<PnxSettings>, 11>;
constexpr Fields kFields{
    &PnxSettings::mnm_path,  &PnxSettings::input_path, &PnxSettings::output_path,
    &PnxSettings::filter,    &PnxSettings::batch,      &PnxSettings::trc_name,
    &PnxSettings::trc_space, &PnxSettings::offset,     &PnxSettings::offset_x,
    &PnxSettings::offset_y,  &PnxSettings::offset_z};
static_assert(FieldsMatchRows(description::kConvertPnxOptions, kFields));

}  // namespace

ConvertPNX::ConvertPNX() : store_(kProductKey, kHostKey, description::kConvertPnxOptions.key) {
  SetInitialValues(description::kConvertPnxOptions, kFields, settings_);
  LoadSettings();
}

void ConvertPNX::LoadSettings() {
  LoadFields(store_, description::kConvertPnxOptions, kFields, settings_);
}

void ConvertPNX::SaveSettings() {
  SaveFields(store_, description::kConvertPnxOptions, kFields, settings_);
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
