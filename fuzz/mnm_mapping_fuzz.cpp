// Fuzz entry point for MNM mapping files: any bytes read as a mapping file. Every entry read
// must be writable again and read back the same, since the reader accepts only names the writer
// writes whole.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "utilities/mnm_mapping.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zar::MappingList list;
  list.LoadText(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const zar::MappingEntry& entry : list.Entries()) {
    if (entry.pnx_name.empty() || entry.source_name.empty() ||
        entry.pnx_name.size() > zar::MappingList::kMaxNameLength ||
        entry.source_name.size() > zar::MappingList::kMaxNameLength ||
        entry.pnx_name.find_first_of(" \t\r\n\v\f") != std::string::npos ||
        entry.source_name.find_first_of(" \t\r\n\v\f") != std::string::npos) {
      std::abort();
    }
  }
  zar::MappingList again;
  again.LoadText(list.Text());
  if (again.Size() != list.Size()) std::abort();
  for (std::size_t i = 0; i < list.Size(); ++i) {
    if (again.Entries()[i].pnx_name != list.Entries()[i].pnx_name ||
        again.Entries()[i].source_name != list.Entries()[i].source_name) {
      std::abort();
    }
  }
  std::string name = "m";
  (void)list.Lookup(name);
  while (!list.Empty()) (void)list.Pop();
  return 0;
}
