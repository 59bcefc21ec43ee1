#include "import_trc/import_trc_options.h"

#include <array>

#include "plugin_services/option_fields.h"

namespace zar {
namespace {

using Fields = std::array<OptionField<ImportTRCOptions>, 8>;
constexpr Fields kFields{&ImportTRCOptions::Apply,        &ImportTRCOptions::Geometry,
                         &ImportTRCOptions::SelectedOnly, &ImportTRCOptions::RootNode,
                         &ImportTRCOptions::Range,        &ImportTRCOptions::FPS,
                         &ImportTRCOptions::Size,         &ImportTRCOptions::ScaleFactor};
static_assert(FieldsMatchRows(description::kImportTrcOptions, kFields));

}  // namespace

ImportTRCOptions::ImportTRCOptions()
    : OptionStore(kProductKey, kHostKey, description::kImportTrcOptions.key) {
  SetInitialValues(description::kImportTrcOptions, kFields, *this);
}

bool ImportTRCOptions::Load() {
  LoadFields(*this, description::kImportTrcOptions, kFields, *this);
  return true;
}

bool ImportTRCOptions::Save() {
  SaveFields(*this, description::kImportTrcOptions, kFields, *this);
  return true;
}

}  // namespace zar
