#ifndef ZAR_IMPORT_TRC_IMPORT_TRC_OPTIONS_H_
#define ZAR_IMPORT_TRC_IMPORT_TRC_OPTIONS_H_

// The TRC importer's options: one record for the whole library, remembered under the class key
// "ImportTRC". The stored fields hold their built-in values (plugin_description/option_rows.h)
// until Load reads stored values over them.

#include <cstdint>

#include "plugin_services/option_store.h"

namespace zar {

class ImportTRCOptions : public OptionStore {
 public:
  ImportTRCOptions();

  // Reads "Apply", "Geometry", "SelectedOnly", "RootNode", "Range", "FPS", "Size" and
  // "ScaleFactor" in that order; a value that cannot be read leaves its field as it was.
  // Always answers true.
  bool Load();
  // Writes the same eight values in the same order. Always answers true.
  bool Save();

  bool Apply;                   // false "Create": new objects; true "Apply": existing nodes
  bool Geometry;                // true "Sphere", false "Point"
  bool SelectedOnly;            // apply mode: markers without a matching node are not created
  bool RootNode;                // gather the keyed marker nodes under a "TRCCloud" dummy
  bool Range;                   // false "All"; true StartFrame to EndFrame only
  bool FPS;                     // set the scene's frame rate to the file's data rate
  std::int32_t StartFrame = 1;  // not stored: set from the file by every import
  std::int32_t EndFrame = 1;    // not stored
  std::int32_t Offset = 0;      // not stored: frames added to every key time
  float Size;                   // size of new marker objects and of the root dummy
  double ScaleFactor;           // global scale of positions and sizes
};

// The record (library_entry.cpp).
extern ImportTRCOptions import_trc_options;

}  // namespace zar

#endif  // ZAR_IMPORT_TRC_IMPORT_TRC_OPTIONS_H_
