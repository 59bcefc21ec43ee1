#ifndef ZAR_CLI_PROGRESS_BAR_H_
#define ZAR_CLI_PROGRESS_BAR_H_

// A progress bar on standard error for long work: drawn only when standard error is a terminal
// (a log file gets no carriage-return lines) and only once the work has gone on for about a
// second (short work stays silent). It is redrawn in place, "<title> [####    ] 40%", and its
// line is finished when the work ends.

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace zar::cli {

class ProgressBar {
 public:
  // On stderr when it is a terminal and `wanted`; otherwise never drawn.
  explicit ProgressBar(bool wanted = true);
  // On `out`, drawn only when `terminal`, once `delay` has passed since the first Show.
  ProgressBar(std::ostream& out, bool terminal, std::chrono::milliseconds delay);

  // The work named `title` has reached `percent` (clamped to 0..100).
  void Show(std::string_view title, int percent);
  // The work has ended: the bar's line is finished if it was drawn. A later Show starts anew.
  void End();
  // Takes the bar off its line, so that a message can be printed there; the next Show draws it
  // again.
  void Clear();
  bool drawn() const { return drawn_; }

 private:
  std::ostream* out_;
  bool terminal_;
  std::chrono::milliseconds delay_;
  std::optional<std::chrono::steady_clock::time_point> start_;
  bool drawn_ = false;
  int shownPercent_ = -1;
  std::string shownTitle_;
};

}  // namespace zar::cli

#endif  // ZAR_CLI_PROGRESS_BAR_H_
