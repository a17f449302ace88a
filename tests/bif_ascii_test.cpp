#include <gtest/gtest.h>

#include <string>

#include "image/ascii_file.h"
#include "image/bif_file.h"
#include "image/image_file.h"
#include "image_file_support.h"
#include "imagelib/status.h"

namespace veska {
namespace {

using test::BifAnswer;
using test::ReadText;
using test::TempDir;
using test::WriteText;

// Rows of `columns` values; value(x, y) is written as it is, `end` after
// every row.
std::string Matrix(int columns, int rows, const std::string& separator, const std::string& end,
                   int (*value)(int x, int y)) {
  std::string text;
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) text += (x ? separator : "") + std::to_string(value(x, y));
    text += end;
  }
  return text;
}

int Ramp(int x, int y) { return x * 1000 - y * 7; }  // negative values and values over 32767

TEST(Bif, ReadsRowsFromTheTopAndFillsAShortFileWithBlack) {
  TempDir dir;
  const std::string path = dir.File("raw.bif");
  // The last row missing, the one above it 7 bytes short.
  std::vector<uint8_t> bytes(60 * 50 - 60 - 7);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i % 251);
  test::WriteBytes(path, bytes);
  BifAnswer answer(60, 50);
  AImage image;
  ASSERT_EQ(test::LoadAsking(image, path), 0);
  EXPECT_EQ(answer.asked, 1);
  EXPECT_EQ(GetPixelValue(*image.Desc(), 0, 0), 0u);
  EXPECT_EQ(GetPixelValue(*image.Desc(), 5, 1), 65u);
  EXPECT_EQ(GetPixelValue(*image.Desc(), 52, 48), uint32_t((48 * 60 + 52) % 251));
  EXPECT_EQ(GetPixelValue(*image.Desc(), 53, 48), 0u);
  for (int x = 0; x < 60; ++x) EXPECT_EQ(GetPixelValue(*image.Desc(), x, 49), 0u);

  // Extra bytes are ignored; a narrower answer reads the first bytes of each row.
  bytes.assign(60 * 60, 9);
  test::WriteBytes(path, bytes);
  ASSERT_EQ(test::LoadAsking(image, path), 0);
  EXPECT_EQ(GetPixelValue(*image.Desc(), 59, 49), 9u);
}

TEST(Bif, PromptAnswersGoThroughTheLimits) {
  TempDir dir;
  const std::string path = dir.File("raw.bif");
  test::WriteBytes(path, std::vector<uint8_t>(100, 1));
  auto image = MakeImage(50, 50, 8, [](int, int) { return 3u; });
  struct Case { int width; bool ok; int rc; };
  for (Case c : {Case{60, false, status::kCancelled}, Case{0, true, status::kBelowMinimumSize},
                 Case{65535, true, status::kMaxSize}}) {
    BifAnswer answer(c.width, 60, c.ok);
    EXPECT_EQ(test::LoadAsking(*image, path), c.rc) << c.width;
  }
  // Load itself asks no one: without a size a BIF load ends as a cancel.
  BifAnswer unasked(60, 60);
  EXPECT_EQ(Load(*image, path), status::kCancelled);
  EXPECT_EQ(unasked.asked, 0);
  EXPECT_TRUE(image->Loaded());  // untouched by all three
  // The writer takes the processing rectangle.
  auto source = MakeImage(60, 50, 8, [](int x, int y) { return uint32_t(x + y); });
  SetRect(*source->Desc(), 2, 3, 4, 5);
  ASSERT_EQ(BifWrite(path, *source->Desc()), 0);
  EXPECT_EQ(test::ReadBytes(path), (std::vector<uint8_t>{5, 6, 7, 6, 7, 8, 7, 8, 9}));
}

TEST(Ascii, ReadsSignedValuesAsSixteenBitSamples) {
  TempDir dir;
  const std::string path = dir.File("m.asc");
  // Runs of blanks and tabs separate values; "\n" and "\r\n" both end lines,
  // and the last line needs no line break.
  std::string text = Matrix(55, 51, " \t  ", "\r\n", Ramp);
  text += Matrix(55, 1, "\t", "", [](int x, int) { return -x - 70000 * (x % 2); });
  WriteText(path, text);
  AImage image;
  ASSERT_EQ(Load(image, path), 0);
  EXPECT_EQ(image.Width(), 55);
  EXPECT_EQ(image.Height(), 52);
  EXPECT_FALSE(image.Channels().Derived());
  EXPECT_EQ(test::PlaneSample(image, 40, 3), 40000 - 21);
  EXPECT_EQ(test::PlaneSample(image, 0, 3), uint16_t(-21));
  EXPECT_EQ(test::PlaneSample(image, 3, 51), uint16_t(-3 - 70000));  // low 16 bits
  const ChannelPlane& plane = *image.Channels().Plane(0);
  EXPECT_TRUE(plane.Enabled());
  EXPECT_FALSE(plane.Flat());
  EXPECT_TRUE(plane.FullRange());

  // Saving writes tab-separated signed values, "\r\n" between rows only,
  // and reads back to the same samples.
  const std::string saved = dir.File("saved.asc");
  ASSERT_EQ(Save(image, saved), 0);
  const std::string written = ReadText(saved);
  EXPECT_EQ(written.substr(0, 13), "0\t1000\t2000\t3");
  // Samples above 32767 are written as the sample minus 65536.
  const std::string top = written.substr(0, written.find('\r'));
  EXPECT_NE(top.find("\t32000\t-32536\t-31536\t"), std::string::npos);
  EXPECT_EQ(top.substr(top.size() - 7), "\t-11536");
  EXPECT_EQ(written.find("\t\r\n"), std::string::npos);
  EXPECT_NE(written.back(), '\n');
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 51);
  AImage back;
  ASSERT_EQ(Load(back, saved), 0);
  for (int y = 0; y < 52; ++y)
    for (int x = 0; x < 55; ++x)
      ASSERT_EQ(test::PlaneSample(back, x, y), test::PlaneSample(image, x, y)) << x << "," << y;
}

TEST(Ascii, ShapeOfTheText) {
  TempDir dir;
  const std::string path = dir.File("m.asc");
  int columns = 0, rows = 0;
  const auto one = [](int, int) { return 1; };
  // An empty line ends the image.
  WriteText(path, Matrix(50, 50, " ", "\n", one) + "\n" + Matrix(3, 2, " ", "\n", one));
  ASSERT_EQ(AsciiInformation(path, columns, rows), 0);
  EXPECT_EQ(columns, 50);
  EXPECT_EQ(rows, 50);
  WriteText(path, Matrix(50, 50, " ", "\r\n", one) + "\r\n9 9 9");
  ASSERT_EQ(AsciiInformation(path, columns, rows), 0);
  EXPECT_EQ(rows, 50);
  // A second line with one value more; a value that is no number; a lone "\r".
  for (const std::string& text :
       {Matrix(50, 1, " ", "\n", one) + Matrix(51, 49, " ", "\n", one),
        Matrix(50, 49, " ", "\n", one) + "1 2 x3" + std::string(47, ' ') + "\n",
        std::string("1\r2\n")}) {
    WriteText(path, text);
    EXPECT_EQ(AsciiInformation(path, columns, rows), status::kUnevenLines) << text.size();
  }
  EXPECT_EQ(AsciiInformation(dir.File("missing.asc"), columns, rows), status::kErrorOpeningFile);
  // Lines of any length: 50 values each separated by 2000 blanks.
  WriteText(path, Matrix(50, 50, std::string(2000, ' '), "\n", Ramp));
  AImage image;
  ASSERT_EQ(Load(image, path), 0);
  EXPECT_EQ(image.Width(), 50);
  EXPECT_EQ(test::PlaneSample(image, 49, 49), uint16_t(Ramp(49, 49)));
  // Too few lines and an empty file go through the limits.
  WriteText(path, Matrix(60, 49, " ", "\n", one));
  EXPECT_EQ(Load(image, path), status::kBelowMinimumSize);
  WriteText(path, "");
  EXPECT_EQ(Load(image, path), status::kBelowMinimumSize);
}

TEST(Ascii, WriterTakesThePixelsOfAConstantOrDisabledPlane) {
  TempDir dir;
  const std::string path = dir.File("c.asc");
  auto constant = MakeImage(50, 50, 8, [](int, int) { return 77u; });
  ASSERT_TRUE(constant->Channels().Flat(0));  // flat, so disabled
  ASSERT_EQ(Save(*constant, path), 0);
  EXPECT_EQ(ReadText(path).substr(0, 6), "77\t77\t");
  EXPECT_TRUE(constant->Channels().Flat(0));
  EXPECT_FALSE(constant->Channels().Enabled(0));
  AImage back;
  ASSERT_EQ(Load(back, path), 0);
  EXPECT_EQ(test::PlaneSample(back, 10, 10), 77);
  EXPECT_EQ(GetPixelValue(*back.Desc(), 10, 10), 77u);

  // A plane the user disabled is written from the pixels too and stays disabled.
  auto ramp = MakeImage(50, 50, 8, [](int x, int) { return uint32_t(x); });
  ramp->Channels().SetEnabled(0, false);
  ASSERT_EQ(Save(*ramp, path), 0);
  EXPECT_EQ(ReadText(path).substr(0, 8), "0\t1\t2\t3\t");
  EXPECT_FALSE(ramp->Channels().Enabled(0));
  EXPECT_TRUE(ramp->Channels().FullRange(0));
}

}  // namespace
}  // namespace veska
