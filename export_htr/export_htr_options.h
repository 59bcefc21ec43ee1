#ifndef ZAR_EXPORT_HTR_EXPORT_HTR_OPTIONS_H_
#define ZAR_EXPORT_HTR_EXPORT_HTR_OPTIONS_H_

// The HTR exporter's options: one record for the whole library, remembered under the class key
// "ExportHTR". The stored fields hold their built-in values (plugin_description/option_rows.h)
// until Load reads stored values over them.

#include <cstdint>

#include "plugin_services/option_store.h"

namespace zar {

class ExportHTROptions : public OptionStore {
 public:
  ExportHTROptions();

  // Reads "Pose", "Animate", "ParentTransforms", "Range", "Offset" and "ScaleFactor" in that
  // order; a value that cannot be read leaves its field as it was. Always answers true.
  bool Load();
  // Writes the same six values in the same order. Always answers true.
  bool Save();

  bool Pose;                    // true "Saved Pose", false "Current Pose"
  bool Animate;                 // "Export Animation"
  bool ParentTransforms;        // the root bone's motion includes its scene parents'
  bool Range;                   // false "Slider": the animation range; true StartFrame..EndFrame
  std::int32_t StartFrame = 1;  // not stored: set from the scene by every export
  std::int32_t EndFrame = 1;    // not stored
  std::int32_t Offset;          // added to the first exported frame's number in the file
  double ScaleFactor;           // global scale of every length
};

// The record (library_entry.cpp).
extern ExportHTROptions export_htr_options;

}  // namespace zar

#endif  // ZAR_EXPORT_HTR_EXPORT_HTR_OPTIONS_H_
