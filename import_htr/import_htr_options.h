#ifndef ZAR_IMPORT_HTR_IMPORT_HTR_OPTIONS_H_
#define ZAR_IMPORT_HTR_IMPORT_HTR_OPTIONS_H_

// The HTR importer's options: one record for the whole library, remembered under the class key
// "ImportHTR". The stored fields hold their built-in values (plugin_description/option_rows.h)
// until Load reads stored values over them.

#include <cstdint>

#include "plugin_services/option_store.h"

namespace zar {

class ImportHTROptions : public OptionStore {
 public:
  ImportHTROptions();

  // Reads "Apply", "Animate", "KeyBasePosition", "EndEffectors", "Range", "FPS",
  // "RotationController", "Size" and "ScaleFactor" in that order; a value that cannot be read
  // leaves its field as it was. Always answers true.
  bool Load();
  // Writes the same nine values in the same order; a failed write does not stop the others.
  // Always answers true.
  bool Save();

  bool Apply;                       // false: create a new skeleton; true: apply to the selected one
  bool Animate;                     // key the per-frame animation
  bool EndEffectors;                // when creating, add an end-effector bone below every leaf
  bool KeyBasePosition;             // key the base position
  bool Range;                       // false: all frames; true: StartFrame to EndFrame only
  bool FPS;                         // set the host's frame rate to the file's
  std::int32_t StartFrame = 1;      // not stored: set from the file before every dialog
  std::int32_t EndFrame = 1;        // not stored
  std::int32_t Offset = 0;          // not stored: frames the keys are shifted later
  std::int32_t RotationController;  // 0 "Euler": keep the controller; 1 "TCB": replace it
  float Size;                       // segment size
  double ScaleFactor;               // global scale
};

// The record (library_entry.cpp).
extern ImportHTROptions import_htr_options;

}  // namespace zar

#endif  // ZAR_IMPORT_HTR_IMPORT_HTR_OPTIONS_H_
