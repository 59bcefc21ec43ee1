// The message reporter through the stand-in's message boxes and scripted answers.

#include <gtest/gtest.h>

#include "modra/host.h"
#include "plugin_services/message_reporter.h"

namespace zar {
// The reporter is one of the plug-in's static objects; this suite makes its own.
MessageReporter message_reporter;
}  // namespace zar

namespace {

using modra::host::ShownEvent;

TEST(MessageReporter, ReportShowsTextAndCaptionWithOneButton) {
  modra::host::Host host;
  zar::message_reporter.Report("Please choose a non-zero size.", "ImportHTR Error");
  const auto boxes = host.user().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Please choose a non-zero size.");
  EXPECT_EQ(boxes[0].caption, "ImportHTR Error");
  EXPECT_EQ(boxes[0].detail, "ok");
}

TEST(MessageReporter, AskIsTrueOnlyForYes) {
  struct Case {
    int answer;  // 0: the user answers nothing (the box's default button)
    bool expected;
  };
  for (const Case c :
       {Case{modra::kAnswerYes, true}, Case{modra::kAnswerNo, false}, Case{0, true}}) {
    SCOPED_TRACE(c.answer);
    modra::host::Host host;
    if (c.answer != 0) host.user().Answer(c.answer);
    EXPECT_EQ(
        zar::message_reporter.Ask("Are you using a left wrist stick?", "Pick optional markers?"),
        c.expected);
    const auto boxes = host.user().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].detail, "yesno");
    EXPECT_EQ(boxes[0].caption, "Pick optional markers?");
    EXPECT_TRUE(host.user().Empty());
  }
}

TEST(MessageReporter, NullTextsShowAsEmpty) {
  modra::host::Host host;
  zar::message_reporter.Report(nullptr, nullptr);
  const auto boxes = host.user().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "");
  EXPECT_EQ(boxes[0].caption, "");
}

}  // namespace
