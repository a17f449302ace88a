#include "engine/scanline_counts.h"

#include <gtest/gtest.h>

#include <tuple>

namespace veska {
namespace {

constexpr char kRange[] = "Please enter an integer between 1 and 40.";
constexpr char kNotNumber[] = "Please enter a positive integer.";

// Batch, Full, Preview: the order of the texts.
std::tuple<int, int, int> Values(const ScanlineCounts& c) {
  return {c.Batch(), c.Full(), c.Preview()};
}

TEST(ScanlineCountsTest, DefaultsAndAcceptedValues) {
  ScanlineCounts counts;
  EXPECT_EQ(Values(counts), std::tuple(16, 16, 8));

  ScanlineVerdict verdict = counts.Accept({"40", " 24 ", "+8"});
  EXPECT_TRUE(verdict.accepted);
  EXPECT_EQ(verdict.message, "");
  EXPECT_EQ(Values(counts), std::tuple(40, 24, 8));
  EXPECT_EQ(counts.Texts().full, "24");
}

TEST(ScanlineCountsTest, MessagesAndTheirOrder) {
  struct Case {
    ScanlineTexts texts;
    ScanlineBox box;
    bool selectBox;
    const char* message;
  };
  const Case cases[] = {
      {{"16", "15", "8"}, ScanlineBox::kFull, false, "Full count is below allowed minimum of 16"},
      {{"16", "20", "3"}, ScanlineBox::kPreview, false,
       "Preview count is below allowed minimum of 8"},
      {{"9", "15", "3"}, ScanlineBox::kBatch, false, "Batch count is below allowed minimum of 16"},
      {{"41", "16", "8"}, ScanlineBox::kBatch, true, kRange},
      {{"16", "0", "8"}, ScanlineBox::kFull, true, kRange},
      {{"16", "16", "99999999999"}, ScanlineBox::kPreview, true, kRange},
      // Every range check comes before any minimum check.
      {{"9", "16", "41"}, ScanlineBox::kPreview, true, kRange},
      {{"16", "abc", "8"}, ScanlineBox::kFull, true, kNotNumber},
      {{"16", "16", "-5"}, ScanlineBox::kPreview, true, kNotNumber},
      {{"", "16", "8"}, ScanlineBox::kBatch, true, kNotNumber},
      {{"16", "2 0", "8"}, ScanlineBox::kFull, true, kNotNumber},
  };
  for (const Case& c : cases) {
    ScanlineCounts counts;
    counts.Accept({"30", "24", "12"});
    ScanlineVerdict verdict = counts.Accept(c.texts);
    EXPECT_FALSE(verdict.accepted) << c.message;
    EXPECT_EQ(verdict.box, c.box) << c.message;
    EXPECT_EQ(verdict.selectBox, c.selectBox) << c.message;
    EXPECT_EQ(verdict.message, c.message);
    EXPECT_EQ(Values(counts), std::tuple(30, 24, 12));  // a refused set changes nothing
  }
}

}  // namespace
}  // namespace veska
