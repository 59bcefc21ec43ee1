#ifndef ZAR_TESTS_C3D_BYTES_TEST_SUPPORT_H_
#define ZAR_TESTS_C3D_BYTES_TEST_SUPPORT_H_

// C3D files byte by byte, without our reader or writer: a small Intel real-storage file made to
// order, and the parameter records of a file's bytes, as another program would see them.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace zar::testing {

// A file to make: its points' labels, its analog words per point frame (channels times samples)
// and how many point frames; point m of frame k is at C3DPoint(k, m), analog word w of frame k
// holds C3DAnalog(k, w).
struct C3DLayout {
  std::vector<std::string> labels;
  std::uint16_t analog_channels = 0;
  std::uint16_t analog_samples = 1;  // per point frame
  std::uint16_t frames = 0;
  float rate = 100.0F;
  // ANALOG:SCALE and OFFSET of channel c are AnalogScale(c) and AnalogOffset(c) when set.
  bool analog_scaling = false;
  float gen_scale = 1.0F;
};

inline float AnalogScale(int c) { return 0.25F * static_cast<float>(c + 1); }
inline std::int16_t AnalogOffset(int c) { return static_cast<std::int16_t>(100 * c - 50); }

inline float C3DPoint(int k, int m, int axis) {
  return static_cast<float>(1000 * k + 10 * m + axis) + 0.5F;
}
inline float C3DAnalog(int k, int w) { return -static_cast<float>(100000 + 100 * k + w); }

namespace c3d_bytes {

inline void Put16(std::string& out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>(value >> 8);
}
inline void PutFloat(std::string& out, std::size_t at, float value) {
  std::memcpy(out.data() + at, &value, 4);
}
inline void AppendFloat(std::string& out, float value) {
  char bytes[4];
  std::memcpy(bytes, &value, 4);
  out.append(bytes, 4);
}
// One parameter record of group `group`; the offset word points at the next record.
inline void AppendParameter(std::string& out, std::int8_t group, const std::string& name,
                            std::int8_t type, const std::vector<std::uint8_t>& dimensions,
                            const std::string& data) {
  out += static_cast<char>(name.size());
  out += static_cast<char>(group);
  out += name;
  const std::size_t link = out.size();
  out.append(2, '\0');
  out += static_cast<char>(type);
  out += static_cast<char>(dimensions.size());
  for (const std::uint8_t d : dimensions) out += static_cast<char>(d);
  out += data;
  out += '\0';  // no description
  Put16(out, link, static_cast<std::uint16_t>(out.size() - link));
}

}  // namespace c3d_bytes

// The bytes of a file laid out as `layout` says: header block, one parameter block (groups
// POINT and ANALOG), frames of reals from block 3.
inline std::string C3DBytes(const C3DLayout& layout) {
  using namespace c3d_bytes;
  const auto points = static_cast<std::uint16_t>(layout.labels.size());
  const auto analog_words =
      static_cast<std::uint16_t>(layout.analog_channels * layout.analog_samples);
  std::string file(512, '\0');
  file[0] = 2;
  file[1] = 0x50;
  Put16(file, 2, points);
  Put16(file, 4, analog_words);
  Put16(file, 6, 1);
  Put16(file, 8, layout.frames);
  PutFloat(file, 12, -1.0F);  // real storage
  Put16(file, 16, 3);
  Put16(file, 18, layout.analog_samples);
  PutFloat(file, 20, layout.rate);

  std::string parameters = {1, 80, 1, 84};  // one block, Intel
  const auto group = [&parameters](std::int8_t id, const std::string& name) {
    parameters += static_cast<char>(name.size());
    parameters += static_cast<char>(-id);
    parameters += name;
    parameters += std::string("\3\0\0", 3);  // the next record three bytes on; no description
  };
  group(1, "POINT");
  std::string used(2, '\0');
  Put16(used, 0, points);
  AppendParameter(parameters, 1, "USED", 2, {}, used);
  std::string labels;
  for (const std::string& label : layout.labels)
    labels += label + std::string(4 - label.size(), ' ');
  AppendParameter(parameters, 1, "LABELS", -1, {4, static_cast<std::uint8_t>(points)}, labels);
  group(2, "ANALOG");
  std::string channels(2, '\0');
  Put16(channels, 0, layout.analog_channels);
  AppendParameter(parameters, 2, "USED", 2, {}, channels);
  std::string rate;
  AppendFloat(rate, layout.rate * static_cast<float>(layout.analog_samples));
  AppendParameter(parameters, 2, "RATE", 4, {}, rate);
  if (layout.analog_scaling) {
    std::string scales;
    std::string offsets;
    for (int c = 0; c < layout.analog_channels; ++c) {
      AppendFloat(scales, AnalogScale(c));
      offsets.append(2, '\0');
      Put16(offsets, offsets.size() - 2, static_cast<std::uint16_t>(AnalogOffset(c)));
    }
    const auto count = static_cast<std::uint8_t>(layout.analog_channels);
    AppendParameter(parameters, 2, "SCALE", 4, {count}, scales);
    AppendParameter(parameters, 2, "OFFSET", 2, {count}, offsets);
    std::string gen;
    AppendFloat(gen, layout.gen_scale);
    AppendParameter(parameters, 2, "GEN_SCALE", 4, {}, gen);
  }
  parameters.append(2, '\0');  // the end of the section
  parameters.resize(512, '\0');
  file += parameters;

  for (int k = 0; k < layout.frames; ++k) {
    for (int m = 0; m < points; ++m) {
      for (int axis = 0; axis < 3; ++axis) AppendFloat(file, C3DPoint(k, m, axis));
      AppendFloat(file, 0.0F);  // residual: present
    }
    for (int w = 0; w < analog_words; ++w) AppendFloat(file, C3DAnalog(k, w));
  }
  file.resize((file.size() + 511) / 512 * 512, '\0');
  return file;
}

// A parameter record of a file's bytes as the format lays it out.
struct C3DRawParameter {
  int group = 0;
  std::string name;
  int type = 0;
  std::vector<int> dimensions;
  std::string data;  // the value bytes
};

// The parameter records (not the groups) of an Intel file; stops at the first record that does
// not fit.
inline std::vector<C3DRawParameter> C3DParameterRecords(const std::string& file) {
  std::vector<C3DRawParameter> records;
  if (file.size() < 512) return records;
  const std::size_t begin = (static_cast<unsigned char>(file[0]) - 1U) * 512U;
  const auto byte = [&file](std::size_t at) { return static_cast<unsigned char>(file[at]); };
  std::size_t at = begin + 4;
  while (at + 2 <= file.size()) {
    const auto length = static_cast<std::size_t>(std::abs(static_cast<std::int8_t>(byte(at))));
    const auto id = static_cast<std::int8_t>(byte(at + 1));
    if (length == 0 || id == 0) break;
    const std::size_t link = at + 2 + length;
    if (link + 2 > file.size()) break;
    const std::size_t offset = std::size_t{byte(link)} | std::size_t{byte(link + 1)} << 8;
    if (id > 0) {
      C3DRawParameter record;
      record.group = id;
      record.name = file.substr(at + 2, length);
      std::size_t p = link + 2;
      record.type = static_cast<std::int8_t>(byte(p));
      std::size_t count = static_cast<std::size_t>(std::abs(record.type));
      for (std::size_t d = 0; d < byte(p + 1); ++d) {
        record.dimensions.push_back(byte(p + 2 + d));
        count *= byte(p + 2 + d);
      }
      p += 2 + record.dimensions.size();
      record.data = file.substr(p, count);
      records.push_back(std::move(record));
    }
    if (offset == 0) break;
    at = link + offset;
  }
  return records;
}

}  // namespace zar::testing

#endif  // ZAR_TESTS_C3D_BYTES_TEST_SUPPORT_H_
