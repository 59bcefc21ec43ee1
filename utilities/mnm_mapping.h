#ifndef ZAR_UTILITIES_MNM_MAPPING_H_
#define ZAR_UTILITIES_MNM_MAPPING_H_

// Marker-name mappings: which markers of a TRC file a PNX file keeps and what it calls them.
// An MNM file holds one entry per line, "PNX name<TAB>source name<TAB>" and a CR LF line end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zar {

// One entry: the standard PNX marker name, the marker name as the TRC data spells it, and the
// handle of the scene node the MNM creator picked for it (0 for entries read from a file).
struct MappingEntry {
  std::string pnx_name;
  std::string source_name;
  std::uint32_t node_handle = 0;
};

// The ordered mapping list. Entries are appended, removed from the end or all removed; a lookup
// takes the first match, so entries already held win over entries read later.
class MappingList {
 public:
  // Longest line (line end excluded) and longest name the reader accepts. A longer line, or a
  // line with a longer name, adds no entry. The writer refuses names the reader would refuse.
  static constexpr std::size_t kMaxLineLength = 1023;
  static constexpr std::size_t kMaxNameLength = 511;

  void Add(std::string pnx_name, std::string source_name, std::uint32_t node_handle);
  // Removes the last entry and answers its node handle; 0 when the list is empty.
  std::uint32_t Pop();
  // When an entry's source name equals `name` exactly, replaces `name` by its PNX name and
  // answers true; otherwise answers false and leaves `name`.
  bool Lookup(std::string& name) const;

  // Appends the entries of an MNM file; false when the file cannot be opened (the list is then
  // unchanged) or holds a line longer than any mapping file's (the entries before it are kept).
  // An empty file answers true.
  bool Load(const std::string& path);
  // Appends the entries of MNM text (the contents of a file).
  void LoadText(std::string_view text);
  // Writes the whole list as an MNM file, replacing any file of that name. False, leaving any
  // existing file as it was, when the file cannot be created or written, or when a name is
  // longer than kMaxNameLength.
  bool Save(const std::string& path) const;
  // The whole list as the text of an MNM file, as Save writes it.
  std::string Text() const;

  std::size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  const std::vector<MappingEntry>& Entries() const { return entries_; }

 private:
  void LoadLine(std::string_view line);

  std::vector<MappingEntry> entries_;
};

}  // namespace zar

#endif  // ZAR_UTILITIES_MNM_MAPPING_H_
