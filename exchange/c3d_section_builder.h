#ifndef ZAR_EXCHANGE_C3D_SECTION_BUILDER_H_
#define ZAR_EXCHANGE_C3D_SECTION_BUILDER_H_

// The parameter section of a C3D file as the writers build it, record by record, in the Intel
// processor format: groups and parameters, each record linked to the next, padded to whole
// 512-byte blocks.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/c3d_parameters.h"

namespace zar::exchange {

// Little-endian 16-bit words and IEEE reals, as an Intel file stores them.
void PutC3DWord(unsigned char* p, std::uint32_t value);
void PutC3DReal(unsigned char* p, float value);

class C3DSectionBuilder {
 public:
  C3DSectionBuilder();

  void Group(int id, std::string_view name, std::string_view description, bool locked = false);
  // A parameter of 16-bit words; returns where its values are, for patching.
  std::size_t Words(int group, std::string_view name, const std::vector<std::uint32_t>& values,
                    std::string_view description);
  void Real(int group, std::string_view name, float value, std::string_view description);
  // Strings of one common length (at most 255) as a two-dimensional text parameter.
  void Strings(int group, std::string_view name, const std::vector<std::string>& strings,
               std::size_t length, std::string_view description);
  void Text1(int group, std::string_view name, std::string_view text, std::string_view description);
  // Any parameter as read: its type, dimensions, values, description and lock.
  void Parameter(int group, const C3DParameter& parameter);

  // Ends the section: the last record links to nothing; padded to whole blocks.
  std::vector<unsigned char> Finish();

 private:
  void Record(int id, std::string_view name, bool locked = false);
  void Link();
  void Dimensions(std::size_t count);
  void Text(std::string_view text);

  std::vector<unsigned char> bytes_;
  std::size_t link_ = 0;
};

// LABELS, LABELS2, ...: as many strings per parameter as keep it within 255 entries and the
// 16-bit record link.
void ContinuedC3DStrings(C3DSectionBuilder& section, int group, std::string_view name,
                         const std::vector<std::string>& strings, std::string_view description);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_C3D_SECTION_BUILDER_H_
