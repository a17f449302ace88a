// The command line's parsing layer: words into operands and options, option
// values and the terminal progress line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/terminal_progress.h"
#include "cli/values.h"

namespace veska::cli {
namespace {

constexpr OptionSpec kTestOptions[] = {
    {"--big", "B", "big"},
    {"--rect", "L,T,R,B", "rect"},
    {"--quiet", nullptr, "quiet"},
};
const Command kTestCommand = {"test", "IN OUT", 2, "A test", nullptr, kTestOptions, nullptr};

ParseResult Parse(std::vector<std::string> words, Arguments* args, std::string* error) {
  return ParseArguments(kTestCommand, words, args, error);
}

// Everything written to a memory stream by `write`.
template <typename Write>
std::string Captured(Write write) {
  char* buffer = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&buffer, &size);
  write(stream);
  std::fclose(stream);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

TEST(CliArgumentsTest, OperandsOptionsAndValues) {
  Arguments args;
  std::string error;
  ASSERT_EQ(Parse({"in.tif", "--big", "31", "--rect=-1,2,3,4", "out.tif", "--quiet"}, &args,
                  &error),
            kParsed)
      << error;
  EXPECT_EQ(args.Operands(), (std::vector<std::string>{"in.tif", "out.tif"}));
  EXPECT_EQ(*args.Value("--big"), "31");
  EXPECT_EQ(*args.Value("--rect"), "-1,2,3,4");
  EXPECT_TRUE(args.Has("--quiet"));
  // A value is taken as it is, even when it starts with a minus sign.
  ASSERT_EQ(Parse({"--big", "-3", "a", "b"}, &args, &error), kParsed);
  EXPECT_EQ(*args.Value("--big"), "-3");
  EXPECT_FALSE(args.Has("--rect"));
  // After "--" everything is an operand; a lone "-" always is.
  ASSERT_EQ(Parse({"-", "--", "--big"}, &args, &error), kParsed);
  EXPECT_EQ(args.Operands(), (std::vector<std::string>{"-", "--big"}));
}

TEST(CliArgumentsTest, ErrorsAndHelp) {
  Arguments args;
  std::string error;
  const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
      {{"a", "b", "--small", "3"}, "unknown option '--small'"},
      {{"a", "b", "--big"}, "option '--big' needs a value (B)"},
      {{"a", "b", "--big", "3", "--big=5"}, "option '--big' given more than once"},
      {{"a", "b", "--quiet=yes"}, "option '--quiet' takes no value"},
      {{"a"}, "missing operand: expected IN OUT"},
      {{"a", "b", "c"}, "unexpected operand 'c'"},
  };
  for (const auto& [words, message] : bad) {
    EXPECT_EQ(Parse(words, &args, &error), kParseError) << message;
    EXPECT_EQ(error, message);
  }
  // --help wins over any error on the line, but not after "--".
  EXPECT_EQ(Parse({"--nope", "--help"}, &args, &error), kHelpWanted);
  EXPECT_EQ(Parse({"a", "--", "--help"}, &args, &error), kParsed);
  EXPECT_EQ(args.Operands()[1], "--help");
}

TEST(CliValuesTest, NumbersSizesAndRectangles) {
  EXPECT_EQ(ParseInteger("-7", -10, 10), -7);
  for (const char* bad : {"", "-", "3.0", "31x", " 3", "99999999999999999999", "41"})
    EXPECT_FALSE(ParseInteger(bad, 1, 40)) << bad;

  ASSERT_TRUE(ParseSize("640x480"));
  EXPECT_EQ(ParseSize("64X48")->height, 48);
  EXPECT_EQ(ParseSize("0x65535")->width, 0);
  for (const char* bad : {"640", "640x", "x480", "65536x1", "-1x5", "6x4x2"})
    EXPECT_FALSE(ParseSize(bad)) << bad;

  EXPECT_TRUE(ParseRect("5,5,5,5"));
  for (const char* bad : {"1,2,3", "1,2,3,4,5", "3,0,2,9", "0,3,9,2", "-1,0,5,5", "1,,3,4"})
    EXPECT_FALSE(ParseRect(bad)) << bad;
}

TEST(CliTerminalProgressTest, PercentLineRedrawnOnlyOnChange) {
  auto at = [](int step, int total) {
    ProgressRecord record;
    record.step = step;
    record.total = total;
    return ProgressPercent(record);
  };
  EXPECT_EQ(at(100, 100), 100);
  EXPECT_EQ(at(101, 100), 1);
  EXPECT_EQ(at(50, 200), 25);
  std::string text = Captured([](std::FILE* out) {
    TerminalProgress progress(out);
    ProgressRecord record;
    progress.Begin();
    progress.Show(record);
    record.total = 400;
    progress.Show(record);
    record.channel = 1;
    record.channels = 3;
    progress.Show(record);
    for (record.step = 1; record.step <= 400; ++record.step) {
      progress.Show(record);
      EXPECT_FALSE(progress.CancelRequested());
    }
    progress.End();
  });
  EXPECT_EQ(text.rfind("\rProcessing...   0%\033[K", 0), 0u);
  EXPECT_NE(text.find("\rProcessing channel 1 of 3...  42%\033[K"), std::string::npos);
  EXPECT_NE(text.find("\rProcessing channel 1 of 3... 100%\033[K"), std::string::npos);
  // 400 steps over 101 distinct percentages: one redraw per percentage, and
  // the line is erased at the end.
  size_t redraws = 0;
  for (size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at + 1))
    ++redraws;
  EXPECT_EQ(redraws, 2u + 100u + 1u);
  EXPECT_EQ(text.substr(text.size() - 4), "\r\033[K");
}

}  // namespace
}  // namespace veska::cli
