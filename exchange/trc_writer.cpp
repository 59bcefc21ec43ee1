#include "exchange/trc_writer.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>

#include "atomic_file/output_file.h"
#include "exchange/decimal_text.h"
#include "exchange/marker_rows.h"
#include "filelib/file_messages.h"

namespace zar::exchange {

FileOutcome WriteTRC(const MarkerSet& set, const std::string& path) {
  OutputFile out;
  if (!out.Open(path)) return CannotOpen(out);
  const std::vector<std::string> names = UniqueMarkerNames(set);
  const std::string frames = std::to_string(set.NumFrames());
  const std::string rate = ShortestText(set.rate);
  const std::string camera_rate = ShortestText(set.camera_rate > 0 ? set.camera_rate : set.rate);

  std::string head = "PathFileType\t4\t(X/Y/Z)\t";
  head += std::filesystem::path(path).filename().string();
  head +=
      "\r\nDataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
      "OrigDataStartFrame\tOrigNumFrames\r\n";
  head += rate + '\t' + camera_rate + '\t' + frames + '\t' + std::to_string(names.size()) + '\t';
  head += LengthUnitText(set.units);
  head += '\t' + rate + '\t' + std::to_string(set.first_frame) + '\t' + frames + "\r\n";
  head += "Frame#\tTime";
  for (const std::string& name : names) head += '\t' + name + "\t\t";
  head += "\r\n\t";
  for (std::size_t i = 1; i <= names.size(); ++i) {
    const std::string n = std::to_string(i);
    head += "\tX" + n + "\tY" + n + "\tZ" + n;
  }
  head += "\r\n\r\n";
  out.Write(head);

  WriteMarkerRows(set, '\t', "\r\n", out);
  return Commit(out);
}

}  // namespace zar::exchange
