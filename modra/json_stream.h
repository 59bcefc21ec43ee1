#ifndef ZAR_MODRA_JSON_STREAM_H_
#define ZAR_MODRA_JSON_STREAM_H_

// Reading a large JSON document piece by piece: the caller walks the outer structure (objects,
// arrays, member names) and takes each inner value as its raw text, which it parses on its own.
// Only the value being read is held in memory, so a document of any size reads in the memory of
// its largest value. Input comes from a text in memory or from a file read in blocks.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace modra::host {

class JsonStream {
 public:
  // A document that breaks off or whose structure is not JSON; `message` says where.
  struct Error {
    std::string message;
  };

  explicit JsonStream(std::string_view text) : text_(text) {}
  // Reads `file` (open for reading, not owned) in blocks.
  explicit JsonStream(std::FILE* file) : file_(file) {}

  // Skips white space; true, and consumes it, when the next character is `c`.
  bool Consume(char c);
  // Skips white space and consumes `c`; throws Error when something else comes.
  void Expect(char c);
  // Skips white space; true when the input is used up.
  bool AtEnd();
  // Skips white space and answers the raw text of the next value (object, array, string,
  // number or literal), consumed. The text stays valid until the next call. Only the nesting
  // of the value is checked here, not its content: parse it to find out whether it is JSON.
  std::string_view Value();
  // True when the file could not be read (as opposed to ending).
  bool readFailed() const { return readFailed_; }

 private:
  // The byte at offset `i` from the read position, reading more of the file when needed; -1 at
  // the end of the input.
  int At(std::size_t i);
  // Reads more of the file after what is held; false at its end.
  bool Fill();
  [[noreturn]] void Fail(const std::string& what) const;

  std::string_view text_;  // the input held: the whole text, or `buffer_` for a file
  std::size_t position_ = 0;
  std::size_t consumed_ = 0;  // bytes of the input before text_ (for messages)
  std::FILE* file_ = nullptr;
  std::string buffer_;
  bool readFailed_ = false;
};

}  // namespace modra::host

#endif  // ZAR_MODRA_JSON_STREAM_H_
