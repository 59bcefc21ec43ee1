#ifndef ZAR_TEXT_BASE64_H_
#define ZAR_TEXT_BASE64_H_

// Base64 with the standard alphabet and "=" padding, as JSON documents, glTF data URIs and the
// viewer page carry binary data.

#include <cstddef>
#include <string>
#include <string_view>

namespace zar::text {

// The number of characters the base64 text of `size` bytes takes.
constexpr std::size_t Base64Size(std::size_t size) { return (size + 2) / 3 * 4; }

// Writes the base64 text of `size` bytes at `out` (Base64Size(size) characters, padded at the
// end); returns the end of what was written.
char* EncodeBase64(const unsigned char* data, std::size_t size, char* out);

// Appends the base64 text of `bytes` to `out`.
void AppendBase64(std::string_view bytes, std::string& out);

// The bytes of a base64 text; false when `text` is not base64 (length not a multiple of four,
// a character outside the alphabet, padding anywhere but at the end).
bool DecodeBase64(std::string_view text, std::string& bytes);

}  // namespace zar::text

#endif  // ZAR_TEXT_BASE64_H_
