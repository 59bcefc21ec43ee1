#ifndef ZAR_EXCHANGE_EXCHANGE_MESSAGES_H_
#define ZAR_EXCHANGE_EXCHANGE_MESSAGES_H_

// The messages the exchange readers and writers return. Most are followed by details (a
// parameter's name, block and frame numbers) in the text the reader builds.

#include <string_view>

namespace zar::exchange::messages {

// C3D reader.
inline constexpr std::string_view kC3DEmpty = "The file is empty";
inline constexpr std::string_view kC3DShortHeader = "The file is too short for a C3D header";
inline constexpr std::string_view kC3DKey =
    "The file is not a C3D file (its second byte is not 80)";
inline constexpr std::string_view kC3DParameterStart =
    "The parameter section starts outside the file";
inline constexpr std::string_view kC3DProcessor =
    "The parameter section names no known processor type (84 Intel, 85 DEC, 86 MIPS)";
inline constexpr std::string_view kC3DParameterOverrun =
    "A parameter runs past the end of the parameter section: ";
inline constexpr std::string_view kC3DParameterOverlap =
    "A parameter's values run into the next parameter: ";
inline constexpr std::string_view kC3DParameterType = "A parameter has an unknown type: ";
inline constexpr std::string_view kC3DDataStart = "The point data starts outside the file";
inline constexpr std::string_view kC3DFrameRange = "The header's frame range is reversed";
inline constexpr std::string_view kC3DDataShort = "The point data ends before the last frame";
// Appended to a refusal that a lenient read would read past.
inline constexpr std::string_view kLenientHint =
    " (a lenient read takes what can be read: --lenient)";
inline constexpr std::string_view kNoPointsOfKinds =
    "The file has no points of the kinds asked for";
inline constexpr std::string_view kNoPointsNamed =
    "No point is left once --markers and --exclude have chosen";
inline constexpr std::string_view kC3DFrameLayout =
    "The header and the parameters disagree on what a frame holds, and the file's size fits "
    "neither";
inline constexpr std::string_view kC3DAnalogLayout =
    "The header's analog values per frame are not a whole number of samples of every channel "
    "ANALOG:USED names";

// Force plates; followed by the plate and what was found.
inline constexpr std::string_view kPlateType = "A force plate has a type other than 1, 2, 3 or 4";
inline constexpr std::string_view kPlateChannels =
    "A force plate's channels are not all among the analog channels";
inline constexpr std::string_view kPlateCorners = "A force plate's corners do not make a plane";
inline constexpr std::string_view kPlateCalibration =
    "A type 4 force plate has no 6 x 6 calibration matrix";

// C3D writer.
inline constexpr std::string_view kC3DTooManyPoints = "A C3D file holds at most 65535 markers";
inline constexpr std::string_view kC3DFrameNumbers =
    "C3D frame numbers run from 0 to 4294967295; this range cannot be stored";

// BVH reader; the malformed message is followed by what was found and the line.
inline constexpr std::string_view kBVHHierarchy =
    "The file is not a BVH file (it does not start with HIERARCHY)";
inline constexpr std::string_view kBVHMalformed = "The BVH file is malformed: ";

// BVH writer.
inline constexpr std::string_view kBVHOneRoot = "A BVH file holds one root; this skeleton has ";
inline constexpr std::string_view kBVHRate = "A BVH file needs a frame rate above 0";

// glTF writer.
inline constexpr std::string_view kGltfRate = "A glTF animation needs a frame rate above 0";
inline constexpr std::string_view kGltfTimes =
    "The frame times cannot be told apart in single precision (too many frames at this rate)";
inline constexpr std::string_view kGlbSize = "A binary glTF file holds at most 4 GiB";

}  // namespace zar::exchange::messages

#endif  // ZAR_EXCHANGE_EXCHANGE_MESSAGES_H_
