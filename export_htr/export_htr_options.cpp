#include "export_htr/export_htr_options.h"

namespace zar {

ExportHTROptions::ExportHTROptions() : OptionStore(kProductKey, kHostKey, "ExportHTR") {}

bool ExportHTROptions::Load() {
  GetBool("Pose", Pose);
  GetBool("Animate", Animate);
  GetBool("ParentTransforms", ParentTransforms);
  GetBool("Range", Range);
  GetInt("Offset", Offset);
  GetDouble("ScaleFactor", ScaleFactor);
  return true;
}

bool ExportHTROptions::Save() {
  SetBool("Pose", Pose);
  SetBool("Animate", Animate);
  SetBool("ParentTransforms", ParentTransforms);
  SetBool("Range", Range);
  SetInt("Offset", Offset);
  SetDouble("ScaleFactor", ScaleFactor);
  return true;
}

}  // namespace zar
