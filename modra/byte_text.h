#ifndef ZAR_MODRA_BYTE_TEXT_H_
#define ZAR_MODRA_BYTE_TEXT_H_

// Names in JSON text: the UTF-8 check that decides which names are written as base64.

#include <cstddef>
#include <string_view>

namespace modra::host {

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values beyond U+10FFFF).
bool IsValidUtf8(std::string_view text);

}  // namespace modra::host

#endif  // ZAR_MODRA_BYTE_TEXT_H_
