#include "utilities/mnm_mapping.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "atomic_file/output_file.h"
#include "filelib/line_reader.h"

namespace zar {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The characters that separate the names of a line (white space of the C locale).
bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The next name of `line` from `pos` on; empty when none is left.
std::string_view NextName(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && IsSeparator(line[pos])) ++pos;
  const std::size_t start = pos;
  while (pos < line.size() && !IsSeparator(line[pos])) ++pos;
  return line.substr(start, pos - start);
}

}  // namespace

void MappingList::Add(std::string pnx_name, std::string source_name, std::uint32_t node_handle) {
  entries_.push_back({std::move(pnx_name), std::move(source_name), node_handle});
}

std::uint32_t MappingList::Pop() {
  if (entries_.empty()) return 0;
  const std::uint32_t handle = entries_.back().node_handle;
  entries_.pop_back();
  return handle;
}

bool MappingList::Lookup(std::string& name) const {
  for (const MappingEntry& entry : entries_) {
    if (entry.source_name == name) {
      name = entry.pnx_name;
      return true;
    }
  }
  return false;
}

void MappingList::LoadLine(std::string_view line) {
  // A zero byte ends what the line holds, as it ends a C string.
  const std::size_t zero = line.find('\0');
  if (zero != std::string_view::npos) line = line.substr(0, zero);
  // Blanks after the last name do not count against the length: the writer ends every line with
  // a tab, so two names of the longest length still read back.
  while (!line.empty() && IsSeparator(line.back())) line.remove_suffix(1);
  if (line.size() > kMaxLineLength) return;
  std::size_t pos = 0;
  const std::string_view pnx_name = NextName(line, pos);
  const std::string_view source_name = NextName(line, pos);
  if (source_name.empty()) return;
  if (pnx_name.size() > kMaxNameLength || source_name.size() > kMaxNameLength) return;
  Add(std::string(pnx_name), std::string(source_name), 0);
}

void MappingList::LoadText(std::string_view text) {
  text = WithoutByteOrderMark(text);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    LoadLine(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

bool MappingList::Load(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  LineReader lines(file.get());
  std::string_view line;
  while (lines.Next(line)) LoadLine(line);
  // A line past the reader's bound is no mapping file (the entries before it stay loaded).
  return !lines.TooLong();
}

std::string MappingList::Text() const {
  std::string text;
  // A first name that starts with the bytes of a byte-order mark would lose them to the reader,
  // which skips a mark at the start of a file: a mark of its own goes first.
  if (!entries_.empty() &&
      WithoutByteOrderMark(entries_.front().pnx_name).size() != entries_.front().pnx_name.size()) {
    text = "\xEF\xBB\xBF";
  }
  for (const MappingEntry& entry : entries_) {
    text.append(entry.pnx_name).append("\t").append(entry.source_name).append("\t\r\n");
  }
  return text;
}

bool MappingList::Save(const std::string& path) const {
  for (const MappingEntry& entry : entries_) {
    if (entry.pnx_name.size() > kMaxNameLength || entry.source_name.size() > kMaxNameLength) {
      return false;
    }
  }
  OutputFile file;
  if (!file.Open(path)) return false;
  file.Write(Text());
  return file.Commit();
}

}  // namespace zar
