#ifndef ZAR_UTILITIES_UTILITY_TEXTS_H_
#define ZAR_UTILITIES_UTILITY_TEXTS_H_

// Texts of the library's string table as owned strings, so that a message and its caption can
// be held at the same time.

#include <cstdint>
#include <string>

#include "plugin_description/resource_ids.h"
#include "plugin_services/message_reporter.h"
#include "plugin_services/resource_text.h"

namespace zar {

// Text `id` of the string table; empty when it cannot be loaded.
inline std::string UtilityText(std::uint32_t id) {
  const char* text = LoadResourceText(id);
  return text != nullptr ? std::string(text) : std::string();
}

inline void ReportUtilityMessage(const std::string& text, const std::string& caption) {
  message_reporter.Report(text.c_str(), caption.c_str());
}

inline bool AskUtilityQuestion(const std::string& text, const std::string& caption) {
  return message_reporter.Ask(text.c_str(), caption.c_str());
}

}  // namespace zar

#endif  // ZAR_UTILITIES_UTILITY_TEXTS_H_
