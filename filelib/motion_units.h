#ifndef ZAR_FILELIB_MOTION_UNITS_H_
#define ZAR_FILELIB_MOTION_UNITS_H_

#include <cstdint>
#include <string_view>

namespace zar {

// Unit of lengths in HTR and TRC files; the numbers are the stored values.
enum class LengthUnit : std::int32_t {
  kMillimetres = 0,
  kCentimetres = 1,
  kMetres = 2,
  kInches = 3,
  kFeet = 4,
  kYards = 5,
};

// Unit of the angles written in an HTR file (the model always holds radians).
enum class RotationUnit : std::int32_t {
  kDegrees = 0,
  kRadians = 1,
};

// A coordinate axis named in an HTR header.
enum class Axis : std::int32_t {
  kX = 0,
  kY = 1,
  kZ = 2,
};

// "mm"/"MM" ... "yd"/"YD"; any other text is millimetres.
LengthUnit LengthUnitFromText(std::string_view text);
// The lower-case keyword; empty for a value outside the enumeration.
std::string_view LengthUnitText(LengthUnit unit);

// "Degrees", "degrees", "DEGREES", "Degree", "degree", "DEGREE" and "Radians", "radians",
// "RADIANS", "Radian", "radian"; any other text (even "RADIAN") is degrees.
RotationUnit RotationUnitFromText(std::string_view text);
// "Degrees" or "Radians"; empty for any other value.
std::string_view RotationUnitText(RotationUnit unit);

// "X"/"x", "Y"/"y", "Z"/"z"; any other text is Y.
Axis AxisFromText(std::string_view text);
// "X", "Y" or "Z"; empty for any other value.
std::string_view AxisText(Axis axis);

// The factor that turns a length in `from` into the same length in `to`: the size of `from` in
// millimetres times the size of a millimetre in `to`. A unit outside the enumeration counts as
// millimetres.
double LengthConversionFactor(LengthUnit from, LengthUnit to);

}  // namespace zar

#endif  // ZAR_FILELIB_MOTION_UNITS_H_
