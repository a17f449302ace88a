// Files as other programs write them: transparency, palettes, 1 to 16-bit
// samples, CMYK and camera-oriented JPEGs, damaged JPEGs, and the messages
// of refused files. Every file is made here with libpng, libtiff or libjpeg.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "image/aimage.h"
#include "image/image_file.h"
#include "imagelib/status.h"
#include "tests/image_file_support.h"

namespace veska {
namespace {

using test::JpegCoding;
using test::ReadText;
using test::TempDir;
using test::WriteJpeg;
using test::WriteText;

// Blue, green, red of pixel (x, y) counted from the top.
std::vector<int> Bgr(const AImage& image, int x, int y) {
  const uint8_t* p = image.Desc()->Row(y) + 3 * x;
  return {p[0], p[1], p[2]};
}

void ExpectNear(const std::vector<int>& got, const std::vector<int>& want, int tolerance,
                const std::string& what) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i)
    EXPECT_NEAR(got[i], want[i], tolerance) << what << " sample " << i;
}


// A half-transparent red pixel (alpha 128) at (1, 0) over white, the rest
// opaque, in every file with alpha: it shows as (255, 128, 128) in red,
// green, blue, that is {128, 128, 255} here; a grey 0 at alpha 128 shows 127.
TEST(CommonFiles, AlphaFlattenedOntoWhite) {
  TempDir dir;
  const std::string png = dir.File("a.png");
  for (int depth : {8, 16}) {
    const int bytes = depth / 8;
    // value of sample c (0..3 for RGBA) of pixel x, at 8 bits
    auto put = [&](std::vector<uint8_t>& row, int x, int c, int channels, int v) {
      for (int b = 0; b < bytes; ++b) row[size_t((x * channels + c) * bytes + b)] = uint8_t(v);
    };
    test::WritePng(png, 60, 50, depth, PNG_COLOR_TYPE_RGBA, false,
                   [&](int, std::vector<uint8_t>& row) {
                     for (int x = 0; x < 60; ++x) {
                       put(row, x, 0, 4, 255);
                       put(row, x, 1, 4, x == 1 ? 0 : 40);
                       put(row, x, 2, 4, x == 1 ? 0 : 80);
                       put(row, x, 3, 4, x == 1 ? 128 : 255);
                     }
                   });
    AImage image;
    ASSERT_EQ(Load(image, png), 0) << depth;
    EXPECT_EQ(image.Desc()->BitsPerPixel(), 24);
    ExpectNear(Bgr(image, 1, 3), {128, 128, 255}, 1, "RGBA PNG " + std::to_string(depth));
    ExpectNear(Bgr(image, 2, 3), {80, 40, 255}, 0, "opaque");

    test::WritePng(png, 60, 50, depth, PNG_COLOR_TYPE_GRAY_ALPHA, false,
                   [&](int, std::vector<uint8_t>& row) {
                     for (int x = 0; x < 60; ++x) {
                       put(row, x, 0, 2, x == 1 ? 0 : 90);
                       put(row, x, 1, 2, x == 1 ? 128 : 255);
                     }
                   });
    ASSERT_EQ(Load(image, png), 0) << depth;
    EXPECT_TRUE(image.IsGray());
    EXPECT_NEAR(image.Desc()->Row(3)[1], 127, 1) << depth;
    EXPECT_EQ(image.Desc()->Row(3)[2], 90);
  }
  // TIFF, straight and premultiplied alpha (the premultiplied red is 128).
  for (int kind : {EXTRASAMPLE_UNASSALPHA, EXTRASAMPLE_ASSOCALPHA}) {
    test::Layout layout{"w", 60, 50, 8, 4, PHOTOMETRIC_RGB};
    layout.extraSample = kind;
    const bool pre = kind == EXTRASAMPLE_ASSOCALPHA;
    test::WriteTiff(dir.File("a.tiff"), layout, [&](int x, int, int s) -> uint32_t {
      if (x != 1) return s == 0 ? 255 : s == 3 ? 255 : 40;
      return s == 0 ? (pre ? 128 : 255) : s == 3 ? 128 : 0;
    });
    AImage image;
    ASSERT_EQ(Load(image, dir.File("a.tiff")), 0) << kind;
    ExpectNear(Bgr(image, 1, 3), {128, 128, 255}, 1, "RGBA TIFF");
    ExpectNear(Bgr(image, 2, 3), {40, 40, 255}, 0, "opaque");
  }
  // A grey TIFF with straight alpha.
  test::Layout grey{"w", 60, 50, 8, 2, PHOTOMETRIC_MINISBLACK};
  grey.extraSample = EXTRASAMPLE_UNASSALPHA;
  test::WriteTiff(dir.File("g.tif"), grey,
                  [](int x, int, int s) -> uint32_t { return s == 1 ? (x == 1 ? 128 : 255) : 0; });
  AImage image;
  ASSERT_EQ(Load(image, dir.File("g.tif")), 0);
  EXPECT_NEAR(image.Desc()->Row(0)[1], 127, 1);
  EXPECT_EQ(image.Desc()->Row(0)[2], 0);
}

TEST(CommonFiles, PalettesAndShallowSamplesExpandToEightBits) {
  TempDir dir;
  const std::string png = dir.File("p.png");
  // Palette files: a grey ramp stays grey, any other table becomes colour.
  std::vector<png_color> ramp(256), colours(2);
  for (int i = 0; i < 256; ++i) ramp[size_t(i)] = png_color{uint8_t(i), uint8_t(i), uint8_t(i)};
  colours[1] = png_color{200, 100, 50};
  test::WritePng(png, 60, 50, 8, PNG_COLOR_TYPE_PALETTE, false,
                 [](int, std::vector<uint8_t>& row) {
                   for (size_t x = 0; x < row.size(); ++x) row[x] = uint8_t(x);
                 },
                 ramp);
  AImage image;
  ASSERT_EQ(Load(image, png), 0);
  EXPECT_EQ(image.Desc()->BitsPerPixel(), 8);
  EXPECT_TRUE(image.IsGray());
  EXPECT_FALSE(image.FromIndexed());
  EXPECT_EQ(image.Desc()->Row(4)[37], 37);

  // 1, 2 and 4-bit palette files: every pixel index 1, unpacked and expanded.
  for (int depth : {1, 2, 4}) {
    const uint8_t ones = depth == 1 ? 0xFF : depth == 2 ? 0x55 : 0x11;
    test::WritePng(png, 60, 50, depth, PNG_COLOR_TYPE_PALETTE, false,
                   [&](int, std::vector<uint8_t>& row) { std::fill(row.begin(), row.end(), ones); },
                   colours);
    ASSERT_EQ(Load(image, png), 0) << depth;
    EXPECT_EQ(image.Desc()->BitsPerPixel(), 24);
    EXPECT_TRUE(image.FromIndexed());
    EXPECT_FALSE(image.IsGray());
    EXPECT_EQ(Bgr(image, 59, 49), (std::vector<int>{50, 100, 200})) << depth;
  }

  // 1, 2 and 4-bit grey files scale to 0..255.
  for (int depth : {1, 2, 4}) {
    test::WritePng(png, 60, 50, depth, PNG_COLOR_TYPE_GRAY, false,
                   [](int, std::vector<uint8_t>& row) { std::fill(row.begin(), row.end(), 0xFF); });
    ASSERT_EQ(Load(image, png), 0) << depth;
    EXPECT_TRUE(image.IsGray());
    EXPECT_EQ(image.Desc()->Row(10)[59], 255) << depth;
  }
}

TEST(CommonFiles, SixteenBitColourTiffReducedRounded) {
  TempDir dir;
  test::WriteTiff(dir.File("c16.tif"), {"w", 60, 50, 16, 3, PHOTOMETRIC_RGB},
                  [](int x, int y, int s) { return uint32_t(x * 1000 + y * 20 + s * 128); });
  AImage image;
  ASSERT_EQ(Load(image, dir.File("c16.tif")), 0);
  EXPECT_FALSE(image.Channels().SixteenBit());
  for (int x : {0, 7, 59}) {
    auto reduce = [](int v) { return (v + 128) / 257; };
    EXPECT_EQ(Bgr(image, x, 9), (std::vector<int>{reduce(x * 1000 + 180 + 256),
                                                   reduce(x * 1000 + 180 + 128),
                                                   reduce(x * 1000 + 180)}))
        << x;
  }
}

// --- JPEG ------------------------------------------------------------------

// An EXIF body whose first directory holds only the orientation.
std::vector<uint8_t> ExifOrientation(int orientation, bool bigEndian) {
  std::vector<uint8_t> e = {'E', 'x', 'i', 'f', 0, 0};
  const uint8_t le[] = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0,
                        uint8_t(orientation), 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const uint8_t be[] = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 1, 0x12, 0, 3, 0, 0, 0, 1,
                        0, uint8_t(orientation), 0, 0, 0, 0, 0, 0, 0, 0};
  if (bigEndian)
    e.insert(e.end(), std::begin(be), std::end(be));
  else
    e.insert(e.end(), std::begin(le), std::end(le));
  return e;
}

TEST(CommonFiles, CmykAndYcckJpegsReadAsRgb) {
  TempDir dir;
  // Ink values per column band; Adobe files store them inverted.
  const int inks[3][4] = {{0, 0, 0, 0}, {200, 40, 0, 30}, {10, 120, 240, 90}};
  auto ink = [&](int x, int k) { return inks[x / 24 % 3][k]; };
  struct Case { J_COLOR_SPACE stored; bool adobe; };
  for (const Case& c : {Case{JCS_CMYK, false}, Case{JCS_CMYK, true}, Case{JCS_YCCK, true}}) {
    const std::string path = dir.File("cmyk.jpg");
    JpegCoding coding{72, 56, 4, JCS_CMYK, c.stored, c.adobe, {}};
    WriteJpeg(path, coding, [&](int x, int, int k) {
      return uint8_t(c.adobe ? 255 - ink(x, k) : ink(x, k));
    });
    AImage image;
    ASSERT_EQ(Load(image, path), 0) << c.stored;
    ASSERT_EQ(image.Desc()->BitsPerPixel(), 24);
    for (int x : {4, 30, 60}) {
      auto channel = [&](int k) { return (255 - ink(x, k)) * (255 - ink(x, 3)) / 255; };
      ExpectNear(Bgr(image, x, 20), {channel(2), channel(1), channel(0)}, 3,
                 "stored " + std::to_string(c.stored) + " adobe " + std::to_string(c.adobe));
    }
  }
}

// Files coded in every way libjpeg decodes still load, none taken for damaged.
TEST(CommonFiles, JpegCodingsKeepLoading) {
  TempDir dir;
  auto pixel = [](int x, int y, int c) { return uint8_t(40 + 2 * x + y + 30 * c); };
  JpegCoding plain{64, 56, 3, JCS_RGB, JCS_YCbCr, false, {}};
  JpegCoding progressive = plain, arithmetic = plain, s422 = plain;
  progressive.progressive = true;
  arithmetic.arithmetic = true;
  s422.lumaH = 2;
  const std::pair<const char*, JpegCoding> cases[] = {
      {"progressive", progressive}, {"arithmetic", arithmetic}, {"422", s422}};
  for (const auto& [name, coding] : cases) {
    const std::string path = dir.File(std::string(name) + ".jpg");
    WriteJpeg(path, coding, pixel);
    AImage image;
    ASSERT_EQ(Load(image, path), 0) << name;
    ExpectNear(Bgr(image, 30, 20), {pixel(30, 20, 2), pixel(30, 20, 1), pixel(30, 20, 0)}, 4,
               name);
  }
}

TEST(CommonFiles, EveryExifOrientationLoadsUpright) {
  TempDir dir;
  const int w = 64, h = 56;  // whole 8 x 8 blocks either way round
  auto upright = [](int x, int y) { return uint8_t(20 + 3 * x + y); };
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const bool turned = orientation >= 5;
    const int sw = turned ? h : w, sh = turned ? w : h;
    // The stored pixel (x, y) is the upright pixel the orientation maps it to.
    auto stored = [&](int x, int y, int) {
      switch (orientation) {
        case 2: return upright(w - 1 - x, y);
        case 3: return upright(w - 1 - x, h - 1 - y);
        case 4: return upright(x, h - 1 - y);
        case 5: return upright(y, x);
        case 6: return upright(w - 1 - y, x);
        case 7: return upright(w - 1 - y, h - 1 - x);
        case 8: return upright(y, h - 1 - x);
        default: return upright(x, y);
      }
    };
    const std::string path = dir.File("o" + std::to_string(orientation) + ".jpeg");
    WriteJpeg(path, {sw, sh, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, false,
                     ExifOrientation(orientation, orientation % 2 == 0)},
              stored);
    AImage image;
    ASSERT_EQ(Load(image, path), 0) << orientation;
    ASSERT_EQ(image.Width(), w) << orientation;
    ASSERT_EQ(image.Height(), h) << orientation;
    int worst = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        worst = std::max(worst, std::abs(image.Desc()->Row(y)[x] - upright(x, y)));
    EXPECT_LE(worst, 2) << orientation;
    // Saved, the file holds the upright pixels and no orientation.
    ASSERT_EQ(Save(image, dir.File("saved.JPEG")), 0);
    EXPECT_EQ(ReadText(dir.File("saved.JPEG")).find("Exif"), std::string::npos);
    AImage back;
    ASSERT_EQ(Load(back, dir.File("saved.JPEG")), 0);
    EXPECT_EQ(back.Width(), w);
    EXPECT_LE(test::MaxDiff(*image.Desc(), *back.Desc()), 2);
  }
}

// libjpeg goes on after damage it only warns of, inventing what is missing:
// such files are refused; a warning that loses nothing is not.
TEST(CommonFiles, DamagedJpegScansAreRefused) {
  TempDir dir;
  const std::string good = dir.File("good.jpg");
  WriteJpeg(good, {64, 64, 3, JCS_RGB, JCS_YCbCr, false, {}},
            [](int x, int y, int c) { return uint8_t((x * 7 + y * 3 + c * 50) % 256); });
  const std::string bytes = ReadText(good);
  const size_t scan = bytes.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  AImage image;
  // The scan cut in half and closed with an end marker.
  const size_t half = scan + (bytes.size() - scan) / 2;
  WriteText(dir.File("cut.jpg"), bytes.substr(0, half) + "\xFF\xD9");
  EXPECT_EQ(Load(image, dir.File("cut.jpg")), status::kBadJpeg);
  EXPECT_FALSE(image.Loaded());
  // Stray bytes before the end marker: the picture is whole.
  WriteText(dir.File("stray.jpg"), bytes.substr(0, bytes.size() - 2) + "ab\xFF\xD9");
  EXPECT_EQ(Load(image, dir.File("stray.jpg")), 0);
}

// The size limits judge a header's facts before its pixel data is looked at.
TEST(CommonFiles, PcxWindowBeyondTheLimitsIsTooLarge) {
  TempDir dir;
  std::string header(128, '\0');
  header[0] = 10, header[1] = 5, header[2] = 1, header[3] = 8;
  header[8] = char(19999 & 0xFF), header[9] = char(19999 >> 8);
  header[10] = char(19999 & 0xFF), header[11] = char(19999 >> 8);
  header[65] = 1, header[66] = 64;  // one plane of 64 bytes a line
  WriteText(dir.File("huge.pcx"), header + std::string(200, '\x01'));
  AImage image;
  EXPECT_EQ(Load(image, dir.File("huge.pcx")), status::kMaxSize);
}

TEST(CommonFiles, RefusalsSayWhy) {
  TempDir dir;
  AImage image;
  // A code with its own text keeps it.
  WriteText(dir.File("text.jpg"), "hello");
  EXPECT_EQ(Load(image, dir.File("text.jpg")), status::kBadJpeg);
  EXPECT_EQ(FormatError(status::kBadJpeg), "Error -43: Unreadable JPEG format");
  // A PNG cut short gives libpng's reason.
  test::WritePng(dir.File("g.png"), 60, 50, 8, PNG_COLOR_TYPE_GRAY, false,
                 [](int y, std::vector<uint8_t>& row) { std::fill(row.begin(), row.end(), y); });
  const std::string png = ReadText(dir.File("g.png"));
  WriteText(dir.File("cut.png"), png.substr(0, png.size() / 2));
  EXPECT_EQ(Load(image, dir.File("cut.png")), status::kBadPng);
  const std::string text = FormatError(status::kBadPng);
  EXPECT_GT(text.size(), std::string("Error -7: ").size()) << text;
  // A successful load leaves no reason behind.
  ASSERT_EQ(Load(image, dir.File("g.png")), 0);
  EXPECT_EQ(FormatError(status::kBadPng), "Error -7: ");
}

}  // namespace
}  // namespace veska
