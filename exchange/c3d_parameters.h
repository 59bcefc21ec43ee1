#ifndef ZAR_EXCHANGE_C3D_PARAMETERS_H_
#define ZAR_EXCHANGE_C3D_PARAMETERS_H_

// The parameter section of a C3D file: named groups of named parameters, each with a type,
// dimensions, values and a description. Names compare without regard to letter case.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zar::exchange {

// The stored type of a parameter's values; the number is the type byte of the file, whose
// magnitude is the size of one value in bytes.
enum class C3DType : std::int8_t {
  kChar = -1,
  kByte = 1,
  kInteger = 2,  // 16-bit, signed
  kFloat = 4,
};

struct C3DParameter {
  std::string name;
  std::string description;
  bool locked = false;
  C3DType type = C3DType::kInteger;
  std::vector<int> dimensions;  // none for a single value; for text the first is the length
  std::string text;             // the characters of a kChar parameter
  std::vector<double> numbers;  // the values of the other types, in file order

  // Text split into strings of the first dimension's length, trailing blanks and NULs removed
  // (one string when there is at most one dimension).
  std::vector<std::string> Strings() const;
  // Value i, or none.
  std::optional<double> Number(std::size_t i = 0) const;
  // Value i of a 16-bit parameter read as the unsigned word it is stored in (counts past
  // 32767), or none.
  std::optional<std::uint32_t> Word(std::size_t i = 0) const;
};

struct C3DGroup {
  std::string name;
  std::string description;
  bool locked = false;
  int id = 0;  // the positive group number parameters refer to
  std::vector<C3DParameter> parameters;

  const C3DParameter* Find(std::string_view parameter) const;
};

class C3DParameters {
 public:
  std::vector<C3DGroup> groups;

  const C3DGroup* FindGroup(std::string_view group) const;
  const C3DParameter* Find(std::string_view group, std::string_view parameter) const;
  // The strings of `parameter` followed by those of parameter2, parameter3, ... for as long as
  // they exist (how LABELS, DESCRIPTIONS and the like continue past 255 entries).
  std::vector<std::string> ContinuedStrings(std::string_view group,
                                            std::string_view parameter) const;
};

bool SameC3DName(std::string_view a, std::string_view b);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_C3D_PARAMETERS_H_
