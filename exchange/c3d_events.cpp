#include "exchange/c3d_events.h"

#include <algorithm>
#include <cmath>

namespace zar::exchange {

std::vector<C3DEvent> C3DEvents(const C3DParameters& parameters) {
  std::vector<C3DEvent> events;
  const C3DParameter* used = parameters.Find("EVENT", "USED");
  const C3DParameter* times = parameters.Find("EVENT", "TIMES");
  if (used == nullptr || times == nullptr || !used->Word()) return events;
  const std::size_t count = std::min<std::size_t>(*used->Word(), times->numbers.size() / 2);
  const std::vector<std::string> contexts = parameters.ContinuedStrings("EVENT", "CONTEXTS");
  const std::vector<std::string> labels = parameters.ContinuedStrings("EVENT", "LABELS");
  const std::vector<std::string> descriptions =
      parameters.ContinuedStrings("EVENT", "DESCRIPTIONS");
  for (std::size_t i = 0; i < count; ++i) {
    C3DEvent event;
    if (i < contexts.size()) event.context = contexts[i];
    if (i < labels.size()) event.label = labels[i];
    if (i < descriptions.size()) event.description = descriptions[i];
    event.time = 60.0 * times->numbers[2 * i] + times->numbers[2 * i + 1];
    if (std::isfinite(event.time)) events.push_back(std::move(event));
  }
  return events;
}

std::int64_t C3DEventFrame(double time, double rate) {
  const double frames = time * rate;
  if (!(std::abs(frames) < 9e18)) return 0;  // no frame holds it
  return static_cast<std::int64_t>(std::llround(frames)) + 1;
}

}  // namespace zar::exchange
