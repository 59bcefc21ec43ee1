#ifndef ZAR_EXCHANGE_C3D_ANALOG_H_
#define ZAR_EXCHANGE_C3D_ANALOG_H_

// The analog channels of a C3D file (force plates, EMG, other sensors): what the ANALOG group
// says of each channel, and every sample in physical units.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/c3d_file.h"
#include "exchange/file_outcome.h"

namespace zar::exchange {

struct C3DAnalogChannel {
  std::string label;
  std::string description;
  std::string units;
  double scale = 1.0;   // ANALOG:SCALE of the channel
  double offset = 0.0;  // ANALOG:OFFSET of the channel (its magnitude for unsigned data)
};

class C3DAnalog {
 public:
  std::vector<C3DAnalogChannel> channels;
  double gen_scale = 1.0;        // ANALOG:GEN_SCALE, common to every channel
  double rate = 0.0;             // samples per second
  std::size_t per_frame = 1;     // samples of each channel per point frame
  bool unsigned_data = false;    // ANALOG:FORMAT "UNSIGNED": integers are 0 to 65535
  std::int64_t first_frame = 1;  // the point frame of the first sample

  std::size_t NumChannels() const { return channels.size(); }
  std::int64_t NumSamples() const {
    return channels.empty() ? 0 : static_cast<std::int64_t>(values_.size() / channels.size());
  }
  // Sample s (counted from 0 over the trial) of channel c, in the channel's units:
  // (stored - offset) * scale * gen_scale.
  double At(std::int64_t s, std::size_t c) const {
    return values_[static_cast<std::size_t>(s) * channels.size() + c];
  }
  // The time of sample s in seconds, sample 0 being the first point frame's time.
  double Time(std::int64_t s) const { return static_cast<double>(s) / rate; }

  std::vector<double>& Values() { return values_; }

 private:
  std::vector<double> values_;  // sample by sample, every channel of a sample together
};

// The channels the ANALOG group of `file` describes, without samples: labels (continued past
// 255), descriptions, units, scales and offsets (1 and 0 where a list is short), the common scale,
// the format, the rate and the samples per point frame. Returns a message, empty when the
// parameters agree with the header's layout of the frames (an analog word count that is not a
// whole number of samples of every channel is a fault, named).
std::string C3DAnalogChannels(const C3DFile& file, C3DAnalog& analog);

// The channels and every sample of them, read from the data section of the file at `path`
// (read before into `file`).
FileOutcome ReadC3DAnalog(const std::string& path, const C3DFile& file, C3DAnalog& analog);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_C3D_ANALOG_H_
