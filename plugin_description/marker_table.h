#ifndef ZAR_PLUGIN_DESCRIPTION_MARKER_TABLE_H_
#define ZAR_PLUGIN_DESCRIPTION_MARKER_TABLE_H_

// The standard marker set the MNM creator walks the user through, step by step: the texts its
// dialog shows and the PNX names they map to.

#include <array>
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
constexpr MarkerStep StandardMarkerStep(int step, bool left_wrist_stick, bool right_wrist_stick);

// Whether the marker of `step` is optional (the creator then enables Skip).
constexpr bool SkipAllowed(int step);

namespace marker_table_detail {

// Steps with one marker; the wrist steps 10 and 15 hold a placeholder here.
inline constexpr std::array<StandardMarker, kLastMarkerStep + 1> kSingleMarkers = {{
    {"Left front head marker (LFHD)", "LFHD"},
    {"Left back head marker (LBHD)", "LBHD"},
    {"Right back head marker (RBHD)", "RBHD"},
    {"Right front head marker (RFHD)", "RFHD"},
    {"Top of spine marker (C7)", "C7"},
    {"Top chest marker (CLAV)", "CLAV"},
    {"Center sternum marker (STRN)", "STRN"},
    {"Left shoulder marker (LSHO)", "LSHO"},
    {"Left outer elbow marker (LELB)", "LELB"},
    {"Left inner elbow marker (LILB)", "LILB"},
    {"", ""},
    {"Left hand marker (LFIN)", "LFIN"},
    {"Right shoulder marker (RSHO)", "RSHO"},
    {"Right outer elbow marker (RELB)", "RELB"},
    {"Right inner elbow marker (RILB)", "RILB"},
    {"", ""},
    {"Right hand marker (RFIN)", "RFIN"},
    {"Middle of back marker (T10)", "T10"},
    {"Lower back marker (SACR)", "SACR"},
    {"Left front waist marker (LFWT)", "LFWT"},
    {"Left back waist marker (LBWT)", "LBWT"},
    {"Right back waist marker (RBWT)", "RBWT"},
    {"Right front waist marker (RFWT)", "RFWT"},
    {"Left outer knee marker (LKNE)", "LKNE"},
    {"Left inner knee marker (LKNI)", "LKNI"},
    {"Left outer ankle marker (LANK)", "LANK"},
    {"Left heel marker (LHEL)", "LHEL"},
    {"Left outer metatarsal marker (LMT5)", "LMT5"},
    {"Left inner metatarsal marker (LMTI)", "LMTI"},
    {"Left toe marker (LTOE)", "LTOE"},
    {"Right outer knee marker (RKNE)", "RKNE"},
    {"Right inner knee marker (RKNI)", "RKNI"},
    {"Right outer ankle marker (RANK)", "RANK"},
    {"Right heel marker (RHEL)", "RHEL"},
    {"Right outer metatarsal marker (RMT5)", "RMT5"},
    {"Right inner metatarsal marker (RMTI)", "RMTI"},
    {"Right toe marker (RTOE)", "RTOE"},
    {"Left prop bottom (LPRPB)", "LPRPB"},
    {"Left prop middle (LPRPM)", "LPRPM"},
    {"Left prop top (LPRPT)", "LPRPT"},
    {"Right prop bottom (RPRPB)", "RPRPB"},
    {"Right prop middle (RPRPM)", "RPRPM"},
    {"Right prop top (RPRPT)", "RPRPT"},
}};

inline constexpr int kLeftWristStep = 10;
inline constexpr int kRightWristStep = 15;

inline constexpr MarkerStep kLeftWristStick = {{{"Left wrist stick end marker (LWRE)", "LWRE"},
                                                {"Left wrist stick base marker (LWRI)", "LWRI"}},
                                               2};
inline constexpr MarkerStep kLeftWrist = {{{"Left wrist inner (near thumb) marker (LWRA)", "LWRA"},
                                           {"Left wrist outer (near pinky) marker (LWRB)", "LWRB"}},
                                          2};
inline constexpr MarkerStep kRightWristStick = {{{"Right wrist stick end marker (RWRE)", "RWRE"},
                                                 {"Right wrist stick base marker (RWRI)", "RWRI"}},
                                                2};
inline constexpr MarkerStep kRightWrist = {
    {{"Right wrist inner (near thumb) marker (RWRA)", "RWRA"},
     {"Right wrist outer (near pinky) marker (RWRB)", "RWRB"}},
    2};

}  // namespace marker_table_detail

constexpr MarkerStep StandardMarkerStep(int step, bool left_wrist_stick, bool right_wrist_stick) {
  using namespace marker_table_detail;
  if (step < 0 || step > kLastMarkerStep) return {};
  if (step == kLeftWristStep) return left_wrist_stick ? kLeftWristStick : kLeftWrist;
  if (step == kRightWristStep) return right_wrist_stick ? kRightWristStick : kRightWrist;
  MarkerStep single;
  single.markers[0] = kSingleMarkers[static_cast<std::size_t>(step)];
  single.count = 1;
  return single;
}

constexpr bool SkipAllowed(int step) {
  switch (step) {
    case 9:
    case 14:
    case 18:
    case 24:
    case 26:
    case 28:
    case 31:
    case 33:
    case 35:
      return true;
    default:
      return step >= 37 && step <= kLastMarkerStep;
  }
}

}  // namespace zar

#endif  // ZAR_PLUGIN_DESCRIPTION_MARKER_TABLE_H_
