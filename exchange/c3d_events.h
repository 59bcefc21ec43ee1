#ifndef ZAR_EXCHANGE_C3D_EVENTS_H_
#define ZAR_EXCHANGE_C3D_EVENTS_H_

// The events of a C3D file (foot strikes, foot offs, ...), as its EVENT group lists them.

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/c3d_parameters.h"

namespace zar::exchange {

struct C3DEvent {
  std::string context;  // "Left", "Right", "General", ...
  std::string label;
  std::string description;
  double time = 0.0;  // seconds from the start of the capture, as the file gives it
};

// EVENT:USED events (at most as many as EVENT:TIMES holds), with EVENT:CONTEXTS, LABELS and
// DESCRIPTIONS where given. A time is stored as minutes and seconds: 60 * minutes + seconds.
std::vector<C3DEvent> C3DEvents(const C3DParameters& parameters);

// The point frame of an event at `time` seconds: frame 1 is at 0 s.
std::int64_t C3DEventFrame(double time, double rate);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_C3D_EVENTS_H_
