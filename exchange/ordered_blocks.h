#ifndef ZAR_EXCHANGE_ORDERED_BLOCKS_H_
#define ZAR_EXCHANGE_ORDERED_BLOCKS_H_

// Text made a block of items at a time on several threads and written in item order: the frame
// lines of the text formats, which cost far more to format than to write.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "atomic_file/output_file.h"

namespace zar::exchange {

// A growing piece of text with the Reserve/Advance/Write interface of OutputFile, so that the
// same formatting code fills either.
class TextBlock {
 public:
  // A place for at least `size` bytes of text; mark how much was used with Advance.
  char* Reserve(std::size_t size) {
    return text_.size() - used_ >= size ? text_.data() + used_ : Grow(size);
  }
  void Advance(char* end) { used_ = static_cast<std::size_t>(end - text_.data()); }
  void Write(std::string_view text);

  std::string_view Text() const { return {text_.data(), used_}; }
  void Clear() { used_ = 0; }

 private:
  char* Grow(std::size_t size);

  std::vector<char> text_;
  std::size_t used_ = 0;
};

// Fills `text` with the text of items [from, to). Called for different blocks at once, so it
// may only read what it shares with other calls.
using BlockMaker = std::function<void(std::int64_t from, std::int64_t to, TextBlock& text)>;

// Writes the text of items [0, count) to `out`, made `block` items at a time on up to `threads`
// threads (0: one per core), in item order; at most two blocks per thread wait to be written.
// A single block is made on the calling thread. Reports its progress as "writing". An exception
// thrown by `make` is thrown here once every thread has stopped; `out` then holds a part of the
// text.
void WriteInOrder(OutputFile& out, std::int64_t count, std::int64_t block, const BlockMaker& make,
                  unsigned threads = 0);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_ORDERED_BLOCKS_H_
