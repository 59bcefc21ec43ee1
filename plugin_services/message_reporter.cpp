#include "plugin_services/message_reporter.h"

#include "sdk/modra_platform.h"

namespace zar {
namespace {

const char* TextOrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

void MessageReporter::Report(const char* text, const char* caption) const {
  modra::ShowMessageBox(modra::ActiveWindow(), TextOrEmpty(text), TextOrEmpty(caption),
                        modra::kMessageBoxOk);
}

bool MessageReporter::Ask(const char* text, const char* caption) const {
  return modra::ShowMessageBox(modra::ActiveWindow(), TextOrEmpty(text), TextOrEmpty(caption),
                               modra::kMessageBoxYesNo) == modra::kAnswerYes;
}

}  // namespace zar
