#ifndef ZAR_MODRA_BYTE_TEXT_H_
#define ZAR_MODRA_BYTE_TEXT_H_

// Bytes in JSON text: base64 (standard alphabet, with padding) for binary arrays and for names
// that are not valid UTF-8, and the UTF-8 check that decides which names need it.

#include <cstddef>
#include <string>
#include <string_view>

namespace modra::host {

// Appends the base64 text of `bytes` to `out`.
void AppendBase64(std::string_view bytes, std::string& out);
// The bytes of a base64 text; false when `text` is not base64 (length not a multiple of four,
// a character outside the alphabet, padding anywhere but at the end).
bool DecodeBase64(std::string_view text, std::string& bytes);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values beyond U+10FFFF).
bool IsValidUtf8(std::string_view text);

}  // namespace modra::host

#endif  // ZAR_MODRA_BYTE_TEXT_H_
