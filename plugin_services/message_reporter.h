#ifndef ZAR_PLUGIN_SERVICES_MESSAGE_REPORTER_H_
#define ZAR_PLUGIN_SERVICES_MESSAGE_REPORTER_H_

// The one way the library's errors, warnings and questions reach the user.

namespace zar {

// Message boxes owned by the window that is active at the moment of the call.
class MessageReporter {
 public:
  // Shows `text` under `caption` with an OK button and no icon; returns when it is closed.
  void Report(const char* text, const char* caption) const;
  // Asks `text` under `caption` with Yes and No buttons and no icon; true only for Yes.
  bool Ask(const char* text, const char* caption) const;
};

// The library's reporter, the first of its static objects (library_entry.cpp).
extern MessageReporter message_reporter;

}  // namespace zar

#endif  // ZAR_PLUGIN_SERVICES_MESSAGE_REPORTER_H_
