#include "export_htr/export_htr_options.h"

#include <array>

#include "plugin_services/option_fields.h"

namespace zar {
namespace {

using Fields = std::array<OptionField<ExportHTROptions>, 6>;
constexpr Fields kFields{
    &ExportHTROptions::Pose,  &ExportHTROptions::Animate, &ExportHTROptions::ParentTransforms,
    &ExportHTROptions::Range, &ExportHTROptions::Offset,  &ExportHTROptions::ScaleFactor};
static_assert(FieldsMatchRows(description::kExportHtrOptions, kFields));

}  // namespace

ExportHTROptions::ExportHTROptions()
    : OptionStore(kProductKey, kHostKey, description::kExportHtrOptions.key) {
  SetInitialValues(description::kExportHtrOptions, kFields, *this);
}

bool ExportHTROptions::Load() {
  LoadFields(*this, description::kExportHtrOptions, kFields, *this);
  return true;
}

bool ExportHTROptions::Save() {
  SaveFields(*this, description::kExportHtrOptions, kFields, *this);
  return true;
}

}  // namespace zar
