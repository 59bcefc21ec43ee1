#include "cli/file_kind.h"

#include <algorithm>
#include <fstream>
#include <string_view>

namespace zar::cli {

MotionFormat SniffFormat(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(4096, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  for (std::size_t start = 0; start < head.size();) {
    const std::size_t end = std::min(head.find('\n', start), head.size());
    const std::string_view text = std::string_view(head).substr(start, end - start);
    start = end + 1;
    if (text.starts_with("PathFileType")) return MotionFormat::kTrc;
    if (text.starts_with("[Header]") || text.starts_with("[SegmentNames&Hierarchy]"))
      return MotionFormat::kHtr;
  }
  return MotionFormat::kUnknown;
}

std::string LooksLikeNote(const std::string& path, MotionFormat other) {
  if (SniffFormat(path) != other) return "";
  return other == MotionFormat::kTrc ? "; it looks like a TRC file (zarfileio trc check)"
                                     : "; it looks like an HTR file (zarfileio htr check)";
}

}  // namespace zar::cli
