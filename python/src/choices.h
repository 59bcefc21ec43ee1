#ifndef ZAR_PYTHON_CHOICES_H_
#define ZAR_PYTHON_CHOICES_H_

// The options of zarfileio.read, write and convert as the binding receives them (the Python
// side has checked their types and values): those of the tool's convert, by the same names.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exchange/motion_edits.h"
#include "filelib/motion_units.h"

namespace zar::python {

struct Choices {
  bool descriptions = false;          // names="descriptions": a C3D point's description names it
  std::vector<std::string> points;    // the kinds of point to keep (plural words or "all")
  std::vector<std::string> markers;   // glob patterns of the points to keep by name
  std::vector<std::string> exclude;   // glob patterns of the points to leave out
  bool lenient = false;               // read past a C3D's damaged parameter section
  std::optional<std::string> up;      // "y" or "z": the source's up axis where it names none
  exchange::FrameRange range;         // from_frame, to_frame, keep_time
  std::optional<std::string> units;   // the length unit to give (default: the source's)
  std::optional<std::string> up_out;  // the up axis to write in (default: the source's)
};

// What a call has to say besides its result: the readers' and writers' warnings and notes.
using Notes = std::vector<std::string>;

// Says "PATH: The file holds N of the M frames its header declares" where it holds fewer.
void NoteFewerFrames(const std::string& path, std::int64_t frames, std::int64_t declared,
                     Notes& notes);

// Where the source names its up axis (`up`), a choices.up that differs is not used: says so.
void NoteSourceUp(const Choices& choices, const std::string& path, Axis up, Notes& notes);

}  // namespace zar::python

#endif  // ZAR_PYTHON_CHOICES_H_
