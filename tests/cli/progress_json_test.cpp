// The progress bar's text and the JSON strings of the --json output.
#include <gtest/gtest.h>

#include "cli/json_text.h"
#include "cli/progress_bar.h"

namespace zel::cli {
namespace {

TEST(ProgressText, CountsRateAndTimeLeft) {
  ProgressSample s;
  s.percent = 25;
  s.countsFiles = true;
  s.files = 1;
  s.bytes = 30ull << 20;
  s.seconds = 10;
  // A quarter in 10 s leaves 30 s; 30 MB in 10 s is 3 MB/s.
  EXPECT_EQ(ProgressText(s, 8), "[##......]  25%  1 file  30.0 MB  3.0 MB/s  0:30 left");
  s.files = 2;
  s.percent = 100;
  EXPECT_EQ(ProgressText(s, 4), "[####] 100%  2 files  30.0 MB  3.0 MB/s  0:00 left");
}

TEST(ProgressText, NoEstimateBeforeThereIsOne) {
  ProgressSample s;
  s.percent = 0;
  s.seconds = 5;
  EXPECT_EQ(ProgressText(s, 4), "[....]   0%  0 B  0 B/s  --:-- left");
  s.percent = 40;
  s.seconds = 0;  // just started: no rate yet
  EXPECT_EQ(ProgressText(s, 5), "[##...]  40%  0 B  -- B/s  --:-- left");
  s.percent = 250;  // out of range is drawn full, never past the bar
  s.seconds = 1;
  EXPECT_EQ(ProgressText(s, 2).substr(0, 9), "[##] 100%");
}

TEST(ProgressText, Units) {
  EXPECT_EQ(FormatBytes(1023), "1023 B");
  EXPECT_EQ(FormatBytes(1536), "1.5 KB");
  EXPECT_EQ(FormatBytes(5ull << 30), "5.0 GB");
  EXPECT_EQ(FormatDuration(59.6), "1:00");
  EXPECT_EQ(FormatDuration(3723), "1:02:03");
  EXPECT_EQ(FormatDuration(-1), "--:--");
}

TEST(JsonQuote, EscapesWhatWouldBreakTheDocument) {
  EXPECT_EQ(JsonQuote("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonQuote("tab\there\n"), "\"tab\\u0009here\\u000a\"");
  EXPECT_EQ(JsonQuote("caf\xC3\xA9"), "\"caf\xC3\xA9\"");            // UTF-8 kept
  EXPECT_EQ(JsonQuote("caf\xE9 x"), "\"caf\\ufffd x\"");            // a code-page byte replaced
  EXPECT_EQ(JsonQuote("\xE2\x82"), "\"\\ufffd\\ufffd\"");           // a sequence cut short
}

}  // namespace
}  // namespace zel::cli
