#include "exchange/csv_writer.h"

#include "atomic_file/output_file.h"
#include "filelib/file_messages.h"

namespace zar::exchange {

namespace {

// The header row, then the frame rows that `rows` writes.
template <typename Rows>
FileOutcome WriteCSVWith(const MarkerSet& set, const std::string& path, const Rows& rows) {
  OutputFile out;
  if (!out.Open(path)) return CannotOpen(out);
  std::string head = "frame,time";
  for (const std::string& name : UniqueMarkerNames(set)) {
    for (const char* axis : {"_x", "_y", "_z"}) head += ',' + CSVCell(name + axis);
  }
  head += '\n';
  out.Write(head);

  rows(out);
  return Commit(out);
}

}  // namespace

std::string CSVCell(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

FileOutcome WriteCSV(const MarkerSet& set, const std::string& path) {
  return WriteCSVWith(set, path, [&](OutputFile& out) { WriteMarkerRows(set, ',', "\n", out); });
}

FileOutcome WriteCSV(const MarkerSet& set, std::int64_t frames, const FrameMaker& make,
                     const std::string& path) {
  return WriteCSVWith(set, path,
                      [&](OutputFile& out) { WriteMarkerRows(set, frames, make, ',', "\n", out); });
}

}  // namespace zar::exchange
