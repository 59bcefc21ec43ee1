#include "cli/progress_bar.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace zar::cli {
namespace {

constexpr int kBarWidth = 40;
constexpr std::chrono::milliseconds kDelay{1000};

}  // namespace

ProgressBar::ProgressBar(bool wanted)
    : ProgressBar(std::cerr, wanted && ::isatty(STDERR_FILENO) != 0, kDelay) {}

ProgressBar::ProgressBar(std::ostream& out, bool terminal, std::chrono::milliseconds delay)
    : out_(&out), terminal_(terminal), delay_(delay) {}

void ProgressBar::Show(std::string_view title, int percent) {
  if (!terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!start_) start_ = now;
  if (!drawn_ && now - *start_ < delay_) return;
  percent = std::clamp(percent, 0, 100);
  if (drawn_ && percent == shownPercent_ && title == shownTitle_) return;
  const int filled = percent * kBarWidth / 100;
  *out_ << '\r' << title << " [" << std::string(static_cast<std::size_t>(filled), '#')
        << std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') << "] " << percent << '%';
  out_->flush();
  drawn_ = true;
  shownPercent_ = percent;
  shownTitle_ = title;
}

void ProgressBar::End() {
  if (drawn_) {
    *out_ << '\n';
    out_->flush();
  }
  start_.reset();
  drawn_ = false;
  shownPercent_ = -1;
  shownTitle_.clear();
}

void ProgressBar::Clear() {
  if (!drawn_) return;
  *out_ << "\r\033[K";
  out_->flush();
  shownPercent_ = -1;
}

}  // namespace zar::cli
