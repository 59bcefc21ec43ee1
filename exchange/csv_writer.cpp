#include "exchange/csv_writer.h"

#include "exchange/marker_rows.h"
#include "filelib/file_messages.h"
#include "filelib/output_file.h"

namespace zar::exchange {

namespace {

std::string Cell(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace

std::string WriteCSV(const MarkerSet& set, const std::string& path) {
  OutputFile out;
  if (!out.Open(path)) return std::string(zar::messages::kCannotOpen);
  std::string head = "frame,time";
  for (const std::string& name : UniqueMarkerNames(set)) {
    for (const char* axis : {"_x", "_y", "_z"}) head += ',' + Cell(name + axis);
  }
  head += '\n';
  out.Write(head);

  WriteMarkerRows(set, ',', "\n", out);
  if (!out.Commit()) return std::string(zar::messages::kCannotWrite);
  return std::string();
}

}  // namespace zar::exchange
