#include "import_htr/import_htr_options.h"

namespace zar {

ImportHTROptions::ImportHTROptions() : OptionStore(kProductKey, kHostKey, "ImportHTR") {}

bool ImportHTROptions::Load() {
  GetBool("Apply", Apply);
  GetBool("Animate", Animate);
  GetBool("KeyBasePosition", KeyBasePosition);
  GetBool("EndEffectors", EndEffectors);
  GetBool("Range", Range);
  GetBool("FPS", FPS);
  GetInt("RotationController", RotationController);
  GetFloat("Size", Size);
  GetDouble("ScaleFactor", ScaleFactor);
  return true;
}

bool ImportHTROptions::Save() {
  SetBool("Apply", Apply);
  SetBool("Animate", Animate);
  SetBool("KeyBasePosition", KeyBasePosition);
  SetBool("EndEffectors", EndEffectors);
  SetBool("Range", Range);
  SetBool("FPS", FPS);
  SetInt("RotationController", RotationController);
  SetFloat("Size", Size);
  SetDouble("ScaleFactor", ScaleFactor);
  return true;
}

}  // namespace zar
