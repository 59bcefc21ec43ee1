#include "exchange/c3d_analog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "exchange/c3d_parameters.h"
#include "exchange/c3d_words.h"
#include "exchange/exchange_messages.h"
#include "filelib/file_messages.h"
#include "filelib/read_file.h"

namespace zar::exchange {

namespace {

constexpr std::uint64_t kBlock = 512;

// The numbers of ANALOG:`name`, or none.
std::vector<double> Numbers(const C3DParameters& parameters, const char* name) {
  const C3DParameter* p = parameters.Find("ANALOG", name);
  return p != nullptr ? p->numbers : std::vector<double>();
}

}  // namespace

std::string C3DAnalogChannels(const C3DFile& file, C3DAnalog& analog) {
  analog = C3DAnalog();
  const C3DParameters& parameters = file.parameters;
  const std::uint32_t words = file.frame_analog_words;
  std::size_t count = 0;
  if (const C3DParameter* used = parameters.Find("ANALOG", "USED"); used != nullptr) {
    count = used->Word().value_or(0);
  }
  if (words == 0 || count == 0) {
    analog.rate = file.points.rate;
    analog.first_frame = file.points.first_frame;
    return std::string();
  }
  if (words % count != 0) {
    return std::string(messages::kC3DAnalogLayout) + " (" + std::to_string(words) +
           " analog values per frame, " + std::to_string(count) + " channels)";
  }
  analog.per_frame = words / count;
  analog.first_frame = file.points.first_frame;
  const C3DParameter* rate = parameters.Find("ANALOG", "RATE");
  analog.rate = rate != nullptr && rate->Number() && *rate->Number() > 0.0
                    ? *rate->Number()
                    : file.points.rate * static_cast<double>(analog.per_frame);
  if (const C3DParameter* format = parameters.Find("ANALOG", "FORMAT"); format != nullptr) {
    const std::vector<std::string> texts = format->Strings();
    analog.unsigned_data = !texts.empty() && SameC3DName(texts.front(), "UNSIGNED");
  }
  if (const C3DParameter* gen = parameters.Find("ANALOG", "GEN_SCALE");
      gen != nullptr && gen->Number() && std::isfinite(*gen->Number())) {
    analog.gen_scale = *gen->Number();
  }
  const std::vector<std::string> labels = parameters.ContinuedStrings("ANALOG", "LABELS");
  const std::vector<std::string> descriptions =
      parameters.ContinuedStrings("ANALOG", "DESCRIPTIONS");
  const std::vector<std::string> units = parameters.ContinuedStrings("ANALOG", "UNITS");
  const std::vector<double> scales = Numbers(parameters, "SCALE");
  const std::vector<double> offsets = Numbers(parameters, "OFFSET");
  analog.channels.resize(count);
  for (std::size_t c = 0; c < count; ++c) {
    C3DAnalogChannel& channel = analog.channels[c];
    channel.label = c < labels.size() ? labels[c] : "Channel" + std::to_string(c + 1);
    if (c < descriptions.size()) channel.description = descriptions[c];
    if (c < units.size()) channel.units = units[c];
    if (c < scales.size() && std::isfinite(scales[c])) channel.scale = scales[c];
    if (c < offsets.size() && std::isfinite(offsets[c])) channel.offset = offsets[c];
    // Some writers store the offset of unsigned data negated; it means its magnitude.
    if (analog.unsigned_data) channel.offset = std::abs(channel.offset);
  }
  return std::string();
}

FileOutcome ReadC3DAnalog(const std::string& path, const C3DFile& file, C3DAnalog& analog) {
  std::string message = C3DAnalogChannels(file, analog);
  if (!message.empty() || analog.channels.empty()) {
    return FileOutcome::Unless(FileFault::kBadFormat, std::move(message));
  }
  int error = 0;
  const ReadFile stream = OpenForReading(path, error);
  if (!stream) return FileOutcome::CannotRead(zar::messages::kCannotOpen, error);

  const std::size_t value_bytes = file.float_storage ? 4 : 2;
  const std::size_t point_bytes = std::size_t{file.frame_points} * 4 * value_bytes;
  const std::size_t words = file.frame_analog_words;
  const std::size_t frame_bytes = point_bytes + words * value_bytes;
  const auto frames = static_cast<std::uint64_t>(file.points.NumFrames());
  const std::uint64_t data_offset = (std::uint64_t{file.data_start} - 1) * kBlock;
  if (frames > 0 &&
      (file.file_size < data_offset || (file.file_size - data_offset) / frame_bytes < frames)) {
    return FileOutcome::BadFormat(std::string(messages::kC3DDataShort));
  }
  const std::size_t count = analog.channels.size();
  std::vector<double> offset(count);
  std::vector<double> factor(count);
  for (std::size_t c = 0; c < count; ++c) {
    offset[c] = analog.channels[c].offset;
    factor[c] = analog.channels[c].scale * analog.gen_scale;
  }
  std::vector<double>& values = analog.Values();
  values.resize(static_cast<std::size_t>(frames) * words);
  if (std::fseek(stream.get(), static_cast<long>(data_offset), SEEK_SET) != 0) {
    return FileOutcome::CannotRead(zar::messages::kCannotRead, ReadError(stream.get()));
  }
  const C3DWords decode(file.processor);
  const std::size_t chunk = std::max<std::size_t>(1, (std::size_t{1} << 20) / frame_bytes);
  std::vector<unsigned char> buffer(chunk * frame_bytes);
  double* out = values.data();
  for (std::uint64_t done = 0; done < frames;) {
    const auto now = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, frames - done));
    if (std::fread(buffer.data(), 1, now * frame_bytes, stream.get()) != now * frame_bytes) {
      return FileOutcome::CannotRead(zar::messages::kCannotRead, ReadError(stream.get()));
    }
    for (std::size_t f = 0; f < now; ++f) {
      const unsigned char* p = buffer.data() + f * frame_bytes + point_bytes;
      for (std::size_t w = 0; w < words; ++w, p += value_bytes) {
        const std::size_t c = w % count;
        double stored = 0.0;
        if (file.float_storage) {
          stored = decode.Real(p);
        } else if (analog.unsigned_data) {
          stored = decode.Word(p);
        } else {
          stored = decode.Integer(p);
        }
        *out++ = (stored - offset[c]) * factor[c];
      }
    }
    done += now;
  }
  return {};
}

}  // namespace zar::exchange
