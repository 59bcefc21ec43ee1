#include "import_htr/import_htr_options.h"

#include <array>

#include "plugin_services/option_fields.h"

namespace zar {
namespace {

using Fields = std::array<OptionField<ImportHTROptions>, 9>;
constexpr Fields kFields{&ImportHTROptions::Apply,
                         &ImportHTROptions::Animate,
                         &ImportHTROptions::KeyBasePosition,
                         &ImportHTROptions::EndEffectors,
                         &ImportHTROptions::Range,
                         &ImportHTROptions::FPS,
                         &ImportHTROptions::RotationController,
                         &ImportHTROptions::Size,
                         &ImportHTROptions::ScaleFactor};
static_assert(FieldsMatchRows(description::kImportHtrOptions, kFields));

}  // namespace

ImportHTROptions::ImportHTROptions()
    : OptionStore(kProductKey, kHostKey, description::kImportHtrOptions.key) {
  SetInitialValues(description::kImportHtrOptions, kFields, *this);
}

bool ImportHTROptions::Load() {
  LoadFields(*this, description::kImportHtrOptions, kFields, *this);
  return true;
}

bool ImportHTROptions::Save() {
  SaveFields(*this, description::kImportHtrOptions, kFields, *this);
  return true;
}

}  // namespace zar
