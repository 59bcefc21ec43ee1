#include "import_trc/import_trc_options.h"

namespace zar {

ImportTRCOptions::ImportTRCOptions() : OptionStore(kProductKey, kHostKey, "ImportTRC") {}

bool ImportTRCOptions::Load() {
  GetBool("Apply", Apply);
  GetBool("Geometry", Geometry);
  GetBool("SelectedOnly", SelectedOnly);
  GetBool("RootNode", RootNode);
  GetBool("Range", Range);
  GetBool("FPS", FPS);
  GetFloat("Size", Size);
  GetDouble("ScaleFactor", ScaleFactor);
  return true;
}

bool ImportTRCOptions::Save() {
  SetBool("Apply", Apply);
  SetBool("Geometry", Geometry);
  SetBool("SelectedOnly", SelectedOnly);
  SetBool("RootNode", RootNode);
  SetBool("Range", Range);
  SetBool("FPS", FPS);
  SetFloat("Size", Size);
  SetDouble("ScaleFactor", ScaleFactor);
  return true;
}

}  // namespace zar
