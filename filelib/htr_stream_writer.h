#ifndef ZAR_FILELIB_HTR_STREAM_WRITER_H_
#define ZAR_FILELIB_HTR_STREAM_WRITER_H_

#include <cstdint>
#include <span>
#include <string>

#include "atomic_file/output_file.h"
#include "filelib/htr_file.h"
#include "filelib/htr_segment.h"

namespace zar {

// Writes an HTR file a section at a time, for a model whose frames are never all in memory at
// once: Begin writes everything before the first frame section (header, hierarchy and base
// positions, from the model's segments), Frames then writes each segment's frame section in
// file order from frames the caller holds, and Finish ends the file. The text is the one
// HTRFile::Write gives for the same values (it writes through this class), and the file appears
// whole or not at all: a writer left before Finish leaves no file behind.
class HTRStreamWriter {
 public:
  HTRStreamWriter() = default;
  HTRStreamWriter(const HTRStreamWriter&) = delete;
  HTRStreamWriter& operator=(const HTRStreamWriter&) = delete;

  // Checks that `model` can be written as HTRFile::Write does, opens the file and writes up to
  // the first frame section, declaring `num_frames` frames per segment (0: one rest frame each).
  // Returns a message, empty on success. The model must stay unchanged until Finish.
  std::string Begin(const HTRFile& model, const std::string& file_name, std::int32_t num_frames);

  // Writes the frame section of the next segment in file order: the declared number of frames,
  // rest frames (no motion, scale factor 1) standing in for those `frames` does not hold.
  void Frames(std::span<const HTRFrame> frames);

  // Writes the end of the file and puts it in place; returns a message, empty on success.
  std::string Finish();

  // The system's reason (an errno value) why Begin could not open the file or Finish could not
  // write it or put it in place; 0 when neither failed for the system.
  int SystemError() const { return out_.SystemError(); }

 private:
  OutputFile out_;
  const HTRFile* model_ = nullptr;
  std::int32_t num_frames_ = 0;
  std::int32_t next_segment_ = 0;
  double angle_factor_ = 1.0;
};

}  // namespace zar

#endif  // ZAR_FILELIB_HTR_STREAM_WRITER_H_
