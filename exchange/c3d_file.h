#ifndef ZAR_EXCHANGE_C3D_FILE_H_
#define ZAR_EXCHANGE_C3D_FILE_H_

// One C3D file in memory: the header, every parameter, and the point data as a marker set.
// Analog samples are passed over (their layout is known, their values are not kept yet).

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "exchange/c3d_parameters.h"
#include "exchange/c3d_words.h"
#include "exchange/file_outcome.h"
#include "exchange/marker_set.h"
#include "filelib/file_contents.h"

namespace zar::exchange {

// The first 512-byte block, as stored (counts are the unsigned words of the file).
struct C3DHeader {
  int parameter_block = 0;         // where the parameter section starts, from 1
  std::uint32_t points = 0;        // 3D points per frame
  std::uint32_t analog_words = 0;  // analog values per frame (channels x samples per frame)
  std::uint32_t first_frame = 0;
  std::uint32_t last_frame = 0;
  std::uint32_t max_gap = 0;     // the largest gap the capture system filled
  double scale = 0.0;            // negative: reals are stored; positive: 16-bit integers times it
  std::uint32_t data_start = 0;  // the block where the point data starts, from 1
  std::uint32_t analog_per_frame = 0;  // analog samples per channel per frame
  double rate = 0.0;                   // frames per second
};

struct C3DReadOptions {
  // Read what can be read of a damaged parameter section (a description that runs into the next
  // record, a record past the section's end), with a warning naming what was cut or skipped.
  bool lenient = false;
};

class C3DFile {
 public:
  C3DProcessor processor = C3DProcessor::kIntel;
  C3DHeader header;
  C3DParameters parameters;
  // What the point data holds, as the reader understood it.
  bool float_storage = false;
  double scale = 0.0;            // POINT:SCALE where present, else the header's
  std::uint32_t data_start = 0;  // the block the point data was read from
  std::uint64_t file_size = 0;
  // What one frame of the data holds, as read: the header's counts (words 2 and 3), or where
  // the parameters say otherwise (POINT:USED; ANALOG:USED times ANALOG:RATE / POINT:RATE), the
  // counts the file's size confirms.
  std::uint32_t frame_points = 0;
  std::uint32_t frame_analog_words = 0;
  // What the reader found wrong and read past, for the user (the data is read as said there).
  std::vector<std::string> warnings;
  // Whether the read met a fault that a lenient read would read past (it was refused for it
  // unless lenient).
  bool lenient_would_read = false;
  // Labels as names, descriptions as descriptions, POINT:RATE and POINT:UNITS; a sample is
  // missing where its residual word is negative.
  MarkerSet points;

  // Reads a C3D file. A fault's message names what is wrong (ending with a word on the lenient
  // read where that would read past it); never throws for a malformed file, and holds at most a
  // few times the file's size in memory.
  FileOutcome Read(const std::string& path, const C3DReadOptions& options = {});
  // The same from a file opened for reading in binary (not closed here), from its start.
  FileOutcome Read(std::FILE* file, const C3DReadOptions& options = {});

  // What the points hold, for NothingToConvert: their markers and frames.
  FileContents Contents() const;
};

// The number a C3D file written from `set` gives its first frame: C3D counts frames from 1, so a
// set that starts lower (a TRC that counts from 0) is renumbered to start at 1.
std::int64_t C3DFirstFrame(const MarkerSet& set);

// Writes `set` as an Intel C3D file with real (float) storage: a POINT group (USED, SCALE, RATE,
// DATA_START, FRAMES, UNITS, LABELS, DESCRIPTIONS and their continuations past 255 entries), an
// empty ANALOG group whose RATE is the point rate (the header's analog samples per frame is 1,
// as readers check), and past 65535 frames TRIAL:ACTUAL_START_FIELD/ACTUAL_END_FIELD and
// POINT:LONG_FRAMES. Frames are numbered from C3DFirstFrame. Missing samples get the residual
// -1. Written completely or not at all.
FileOutcome WriteC3D(const MarkerSet& set, const std::string& path);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_C3D_FILE_H_
