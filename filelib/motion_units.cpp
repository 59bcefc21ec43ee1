#include "filelib/motion_units.h"

#include <array>

namespace zar {
namespace {

constexpr std::array<std::string_view, 6> kLengthKeywords = {"mm", "cm", "m", "in", "ft", "yd"};
constexpr std::array<std::string_view, 6> kLengthKeywordsUpper = {"MM", "CM", "M",
                                                                  "IN", "FT", "YD"};

// Size of one unit in millimetres, and of one millimetre in the unit.
constexpr std::array<double, 6> kMillimetresPerUnit = {1.0, 10.0, 1000.0, 25.4, 304.8, 914.4};
constexpr std::array<double, 6> kUnitsPerMillimetre = {1.0,          0.1,         0.001,
                                                       0.0393700787, 1.0 / 304.8, 1.0 / 914.4};

std::size_t LengthIndex(LengthUnit unit) {
  const auto value = static_cast<std::int32_t>(unit);
  return value >= 0 && value < 6 ? static_cast<std::size_t>(value) : 0;
}

}  // namespace

LengthUnit LengthUnitFromText(std::string_view text) {
  for (std::size_t i = 0; i < kLengthKeywords.size(); ++i) {
    if (text == kLengthKeywords[i] || text == kLengthKeywordsUpper[i]) {
      return static_cast<LengthUnit>(i);
    }
  }
  return LengthUnit::kMillimetres;
}

std::string_view LengthUnitText(LengthUnit unit) {
  const auto value = static_cast<std::int32_t>(unit);
  return value >= 0 && value < 6 ? kLengthKeywords[static_cast<std::size_t>(value)] : "";
}

RotationUnit RotationUnitFromText(std::string_view text) {
  if (text == "Radians" || text == "radians" || text == "RADIANS" || text == "Radian" ||
      text == "radian") {
    return RotationUnit::kRadians;
  }
  return RotationUnit::kDegrees;
}

std::string_view RotationUnitText(RotationUnit unit) {
  switch (unit) {
    case RotationUnit::kDegrees:
      return "Degrees";
    case RotationUnit::kRadians:
      return "Radians";
  }
  return "";
}

Axis AxisFromText(std::string_view text) {
  if (text == "X" || text == "x") return Axis::kX;
  if (text == "Z" || text == "z") return Axis::kZ;
  return Axis::kY;
}

std::string_view AxisText(Axis axis) {
  switch (axis) {
    case Axis::kX:
      return "X";
    case Axis::kY:
      return "Y";
    case Axis::kZ:
      return "Z";
  }
  return "";
}

double LengthConversionFactor(LengthUnit from, LengthUnit to) {
  return kMillimetresPerUnit[LengthIndex(from)] * kUnitsPerMillimetre[LengthIndex(to)];
}

}  // namespace zar
