#include "image/image_file.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <string>
#include <utility>

#include "image/file_facts.h"
#include "image_file_support.h"
#include "imagelib/bmp_codec.h"
#include "imagelib/jpeg_codec.h"
#include "imagelib/pcx_codec.h"
#include "imagelib/png_codec.h"
#include "imagelib/safe_file.h"
#include "imagelib/status.h"
#include "imagelib/tiff_codec.h"

namespace veska {
namespace {

using test::Tag16;
using test::TempDir;

uint32_t Grey(int x, int y) { return uint32_t((x * 5 + y * 3) % 256); }
uint32_t Colour(int x, int y) { return Rgb(x * 4 % 256, y * 4 % 256, (x + y) * 2 % 256); }

TEST(FileFormat, ExtensionChoosesTheFormatAfterTheFileIsFound) {
  TempDir dir;
  const std::string jpg = dir.File("photo.JPG");
  ASSERT_EQ(Save(*MakeImage(60, 50, 24, Colour), jpg), 0);
  int format = -1;
  EXPECT_EQ(DetectFormat(jpg, format), 0);
  EXPECT_EQ(format, kJpeg);
  AImage loaded;
  EXPECT_EQ(Load(loaded, jpg, &format), 0);
  EXPECT_EQ(loaded.FormatIndex(), kJpeg);

  // The longer spellings share the format index, for loading and saving.
  ASSERT_EQ(Save(loaded, dir.File("c.TIFF")), 0);
  EXPECT_EQ(Load(loaded, dir.File("c.TIFF"), &format), 0);
  EXPECT_EQ(format, kTiff);
  EXPECT_EQ(FormatFromName("a.jpe", format), 0);
  EXPECT_EQ(format, kJpeg);
  EXPECT_EQ(FormatFromName("a.jpegs", format), status::kUnknownFormat);
  EXPECT_EQ(FormatFromName("/x.bif/name", format), status::kUnknownFormat);
  EXPECT_EQ(FormatFromName("/x/name.Asc", format), 0);
  EXPECT_EQ(format, kAscii);
  // Missing files and things that are not files are "not found" whatever their name.
  EXPECT_EQ(DetectFormat(dir.File("missing.bmp"), format), status::kFileNotFound);
  std::filesystem::create_directory(dir.File("folder.bmp"));
  EXPECT_EQ(DetectFormat(dir.File("folder.bmp"), format), status::kFileNotFound);
  EXPECT_FALSE(Probe(dir.File("folder.bmp")));
  EXPECT_TRUE(Probe(jpg));
  EXPECT_EQ(Load(loaded, dir.File("missing.bmp")), status::kFileNotFound);
  EXPECT_TRUE(loaded.Loaded());  // a load that fails before the checks keeps the image
}

TEST(FileFormat, LoadLimitsInTheirOrderBeforeAnyAllocation) {
  // Each row breaks one more limit than the row above: the earlier check wins.
  struct Case { FileFacts facts; int rc; };
  const Case cases[] = {{{{16384, 16384, 8, 1, 8}}, 0},
                        {{{16385, 16384, 8, 1, 8}}, status::kMaxSize},
                        {{{16385, 16384, 3, 1, 8}}, status::kBitsPerSample},
                        {{{16385, 16384, 3, 4, 8}}, status::kSamplesPerPixel},
                        {{{16385, 16384, 3, 4, 16}}, status::kBitsPerPixel},
                        {{{16385, 0, 3, 4, 16}}, status::kBelowMinimumSize},
                        {{{50, 50, 17, 1, 8}}, status::kBitsPerSample},
                        {{{50, 50, 17, 3, 24}}, status::kBitsPerSample},  // 32-bit samples too
                        {{{50, 50, 16, 3, 24}}, 0}};
  for (const Case& c : cases) EXPECT_EQ(CheckLoadLimits(c.facts), c.rc) << &c - cases;

  TempDir dir;
  const auto keep = MakeImage(50, 50, 8, Grey);
  ASSERT_EQ(Save(*MakeImage(49, 200, 8, Grey), dir.File("small.bmp")), 0);
  EXPECT_EQ(Load(*keep, dir.File("small.bmp")), status::kBelowMinimumSize);
  test::Image wide(16385, 50, 8);  // too wide for a channel store, so no image object
  ASSERT_EQ(PngWrite(dir.File("wide.png"), wide.d), 0);
  EXPECT_EQ(Load(*keep, dir.File("wide.png")), status::kMaxSize);
  // A failure of the checks leaves the object as it was.
  EXPECT_TRUE(keep->Loaded());
  EXPECT_EQ(keep->Width(), 50);
}

TEST(FileFormat, RoundTripsThroughEveryWriter) {
  TempDir dir;
  struct Case { const char* name; int bits; int tolerance; };
  for (const Case c : {Case{"a.jpg", 8, 2}, Case{"a.jpg", 24, 6}, Case{"a.tif", 8, 0},
                       Case{"a.tif", 24, 0}, Case{"a.png", 8, 0}, Case{"a.png", 24, 0},
                       Case{"a.bmp", 8, 0}, Case{"a.bmp", 24, 0}, Case{"a.bif", 8, 0},
                       Case{"a.pcx", 8, 0}, Case{"a.asc", 8, 0}}) {
    SCOPED_TRACE(::testing::Message() << c.name << " " << c.bits);
    auto source = MakeImage(64, 52, c.bits, c.bits == 8 ? Grey : Colour);
    source->SetResolution(150);
    const std::string path = dir.File(c.name);
    ASSERT_EQ(Save(*source, path), 0);
    AImage back;
    int format = -1;
    ASSERT_EQ(Load(back, path, {BifSize{64, 52}}, &format), 0);
    EXPECT_EQ(back.FormatIndex(), format);
    EXPECT_EQ(back.Width(), 64);
    EXPECT_EQ(back.Height(), 52);
    EXPECT_EQ(back.Desc()->BitsPerPixel(), c.bits);
    EXPECT_EQ(back.IsGray(), c.bits == 8 ? 1u : 0u);
    // An 8-bit BMP lists its colours, which marks it as indexed even when grey.
    EXPECT_EQ(back.FromIndexed(), format == kBmp && c.bits == 8);
    EXPECT_LE(test::MaxDiff(*source->Desc(), *back.Desc()), c.tolerance);
    const bool keepsResolution = format != kBif && format != kPcx && format != kAscii;
    EXPECT_NEAR(back.Dpi(), keepsResolution ? 150 : 72, 0.05);
    EXPECT_GT(back.Channels().PlaneCount(), 0);
    EXPECT_TRUE(dir.Clean());
  }
}

TEST(FileFormat, ResolutionFromEachUnit) {
  TempDir dir;
  auto image = MakeImage(50, 50, 8, Grey);
  ImageDesc& d = *image->Desc();
  JpegWriteOptions perCm;
  perCm.densityUnit = kJpegDensityPerCm;
  perCm.xDensity = perCm.yDensity = 118;
  ASSERT_EQ(JpegWrite(dir.File("a.jpg"), d, perCm), 0);
  ASSERT_EQ(TiffWrite(dir.File("a.tif"), d, {kTiffPackBits, {118, 118, kTiffUnitCentimetre}}), 0);
  ASSERT_EQ(TiffWrite(dir.File("b.tif"), d, {kTiffPackBits, {300, 300, kTiffUnitNone}}), 0);
  ASSERT_EQ(PngWrite(dir.File("a.png"), d), 0);  // the default 11812 per metre
  ASSERT_EQ(PngWrite(dir.File("b.png"), d, {{3, 3, kPngUnitNone}}), 0);  // only an aspect ratio
  // A resolution no header could carry is no resolution.
  test::WriteTiff(dir.File("c.tif"), {"w", 50, 50}, [](int, int, int) { return 0u; });
  TIFF* tif = TIFFOpen(dir.File("c.tif").c_str(), "r+");
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, 1e30f);
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFRewriteDirectory(tif);
  TIFFClose(tif);
  SetResolution(d, 72);  // 2834 pixels per metre, 71.98 dots per inch: rounds to 72
  ASSERT_EQ(BmpWrite(dir.File("a.bmp"), d), 0);
  const std::pair<const char*, double> expected[] = {
      {"a.jpg", 299.72}, {"a.tif", 299.72}, {"b.tif", 72}, {"a.png", 300.02},
      {"b.png", 72},     {"c.tif", 72},     {"a.bmp", 72}};
  for (const auto& [name, dpi] : expected) {
    AImage back;
    ASSERT_EQ(Load(back, dir.File(name)), 0) << name;
    EXPECT_NEAR(back.Dpi(), dpi, 1e-9) << name;
  }
}

TEST(FileFormat, TiffSixteenBitGreyKeepsEverySample) {
  TempDir dir;
  const std::string path = dir.File("deep.tif");
  // Big-endian and LZW-coded: libtiff decodes, whatever the layout.
  test::WriteTiff(path, {"wb", 60, 55, 16, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW},
                  [](int x, int y, int) { return uint32_t(1000 + x * 700 + y * 13); });
  AImage image;
  ASSERT_EQ(Load(image, path), 0);
  const ChannelStore& store = image.Channels();
  EXPECT_TRUE(store.SixteenBit());
  EXPECT_FALSE(store.Derived());
  EXPECT_EQ(image.IsGray(), 1u);
  EXPECT_EQ(image.Desc()->BitsPerPixel(), 8);
  EXPECT_EQ(test::PlaneSample(image, 59, 54), 1000 + 59 * 700 + 54 * 13);
  // Shown stretched from min..max to 0..255.
  EXPECT_EQ(GetPixelValue(*image.Desc(), 0, 0), 0u);
  EXPECT_EQ(GetPixelValue(*image.Desc(), 59, 54), 255u);

  const std::string saved = dir.File("saved.tif");
  ASSERT_EQ(Save(image, saved), 0);
  EXPECT_EQ(Tag16(saved, TIFFTAG_BITSPERSAMPLE), 16);
  EXPECT_EQ(Tag16(saved, TIFFTAG_COMPRESSION), COMPRESSION_NONE);
  AImage back;
  ASSERT_EQ(Load(back, saved), 0);
  for (int y = 0; y < 55; ++y)
    for (int x = 0; x < 60; ++x)
      ASSERT_EQ(test::PlaneSample(back, x, y), test::PlaneSample(image, x, y)) << x << "," << y;

  // Once processed the store is 8-bit again: the image saves as 8-bit PackBits.
  image.Channels().SetSixteenBit(false);
  ASSERT_EQ(Save(image, saved), 0);
  EXPECT_EQ(Tag16(saved, TIFFTAG_BITSPERSAMPLE), 8);
  EXPECT_EQ(Tag16(saved, TIFFTAG_COMPRESSION), COMPRESSION_PACKBITS);
}

TEST(FileFormat, TiffWhiteIsZeroShowsInvertedAtEitherDepth) {
  TempDir dir;
  const std::string shallow = dir.File("white8.tif"), deep = dir.File("white16.tif");
  test::WriteTiff(shallow, {"w", 50, 50, 8, 1, PHOTOMETRIC_MINISWHITE},
                  [](int x, int, int) { return uint32_t(x * 5); });
  test::WriteTiff(deep, {"wl", 50, 50, 16, 1, PHOTOMETRIC_MINISWHITE},
                  [](int x, int, int) { return uint32_t(x * 1000); });
  AImage image;
  ASSERT_EQ(Load(image, shallow), 0);
  EXPECT_EQ(GetPixelValue(*image.Desc(), 10, 3), 255u - 50);

  ASSERT_EQ(Load(image, deep), 0);
  EXPECT_EQ(test::PlaneSample(image, 10, 3), 65535 - 10000);
  EXPECT_EQ(GetPixelValue(*image.Desc(), 0, 0), 255u);  // white-is-zero 0 is white
  EXPECT_EQ(GetPixelValue(*image.Desc(), 49, 0), 0u);
  // Saved as 16-bit black-is-zero, it looks the way it was shown.
  ASSERT_EQ(Save(image, dir.File("saved.tif")), 0);
  AImage back;
  ASSERT_EQ(Load(back, dir.File("saved.tif")), 0);
  EXPECT_EQ(test::MaxDiff(*image.Desc(), *back.Desc()), 0);
  EXPECT_EQ(test::PlaneSample(back, 10, 3), 65535 - 10000);
}

TEST(FileFormat, RefusedDepthsAndLayouts) {
  TempDir dir;
  auto keep = MakeImage(50, 50, 8, Grey);
  // 32-bit samples, grey or colour, are refused as samples too deep.
  for (int samples : {1, 3}) {
    const std::string deep = dir.File("deep.tif");
    const uint16_t photometric = samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB;
    test::WriteTiff(deep, {"w", 50, 50, 32, samples, photometric},
                    [](int x, int y, int) { return uint32_t(x * y); });
    EXPECT_EQ(Load(*keep, deep), status::kBitsPerSample) << samples;
    EXPECT_TRUE(keep->Loaded());
  }

  auto colour = MakeImage(50, 50, 24, Colour);
  EXPECT_EQ(Save(*colour, dir.File("c.bif")), status::kBitsPerPixel);
  EXPECT_EQ(Save(*colour, dir.File("c.gif")), status::kUnknownFormat);
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.bif")));
  EXPECT_TRUE(dir.Clean());
}

TEST(FileFormat, IndexedFilesBecomeColourImages) {
  TempDir dir;
  // An 8-bit image whose colour table is not a grey ramp.
  auto source = MakeImage(60, 50, 8, [](int x, int y) { return uint32_t((x + y) % 4); });
  ImageDesc& d = *source->Desc();
  const RgbQuad table[4] = {{0, 0, 200, 0}, {0, 200, 0, 0}, {200, 0, 0, 0}, {50, 60, 70, 0}};
  std::copy(table, table + 4, d.palette);
  d.imageType = 0;
  for (const char* name : {"i.bmp", "i.tif", "i.pcx"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(Save(*source, dir.File(name)), 0);
    AImage image;
    ASSERT_EQ(Load(image, dir.File(name)), 0);
    EXPECT_EQ(image.Desc()->BitsPerPixel(), 24);
    EXPECT_EQ(image.IsGray(), 0u);
    EXPECT_TRUE(image.FromIndexed());
    EXPECT_EQ(GetPixelValue(*image.Desc(), 2, 0), Rgb(0, 0, 200));  // blue, green, red stored
    EXPECT_EQ(GetPixelValue(*image.Desc(), 3, 0), Rgb(70, 60, 50));
    EXPECT_EQ(image.Channels().PlaneCount(), 1);
  }
}

// Each writer, stopped by a full disk, leaves neither a partial file nor a
// changed original.
TEST(FileFormat, FailedSaveLeavesNoPartialFileAndTheOriginalUntouched) {
  TempDir dir;
  auto grey = MakeImage(64, 50, 8, Grey);
  for (const char* name : {"f.jpg", "f.tif", "f.png", "f.bmp", "f.bif", "f.pcx", "f.asc"}) {
    SCOPED_TRACE(name);
    const std::string path = dir.File(name), fresh = dir.File(std::string("new-") + name);
    test::WriteBytes(path, {'o', 'l', 'd'});
    SafeFile::SetWriteLimitForTesting(100);
    const int rc = Save(*grey, path);
    const int rcNew = Save(*grey, fresh);
    SafeFile::SetWriteLimitForTesting(-1);
    const int expected = std::string(name) == "f.asc" ? status::kCouldNotWrite : status::kDiskFull;
    EXPECT_EQ(rc, expected);
    EXPECT_EQ(rcNew, expected);
    EXPECT_EQ(test::ReadBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_TRUE(dir.Clean());
  }
  EXPECT_EQ(Save(*grey, dir.File("no/such/folder.bmp")), status::kCannotCreate);
}

}  // namespace
}  // namespace veska
