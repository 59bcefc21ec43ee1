#ifndef ZAR_UTILITIES_MARKER_TABLE_H_
#define ZAR_UTILITIES_MARKER_TABLE_H_

// The standard marker set the MNM creator walks the user through, step by step.

#include <cstddef>
#include <string_view>

namespace zar {

// One marker to pick: the text the creator dialog shows and the PNX name it maps to.
struct StandardMarker {
  std::string_view description;
  std::string_view pnx_name;
};

// The markers of one step: one, or two for the wrist steps.
struct MarkerStep {
  StandardMarker markers[2];
  std::size_t count = 0;
};

// Steps run from 0 to kLastMarkerStep.
inline constexpr int kLastMarkerStep = 42;

// The markers of `step` (none for a step outside 0 to kLastMarkerStep). Step 10 depends on the
// answer to the left wrist-stick question, step 15 on the right one.
MarkerStep StandardMarkerStep(int step, bool left_wrist_stick, bool right_wrist_stick);

// Whether the marker of `step` is optional (the creator then enables Skip).
bool SkipAllowed(int step);

}  // namespace zar

#endif  // ZAR_UTILITIES_MARKER_TABLE_H_
