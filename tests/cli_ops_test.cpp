// The rotate, flip, resize and mix commands of the built `veska` program, on
// small files written with the project's writers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "image/primary_plane.h"
#include "imagelib/pixel_access.h"
#include "tests/cli_runner.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

constexpr int kW = 57;  // an odd difference between width and height
constexpr int kH = 52;

uint32_t Grey(int x, int y) { return uint32_t(20 + 3 * x + y); }
uint32_t Colour(int x, int y) {
  return Rgb(uint32_t(4 * x), uint32_t(250 - 2 * y), uint32_t(x + y));
}
uint16_t Sample(int x, int y) { return uint16_t(1000 + 900 * x + 13 * y); }

class CliOpsTest : public testutil::CliFolderTest {
 protected:
  std::vector<uint32_t> Pixels(const std::string& name) {
    std::unique_ptr<AImage> image = Loaded(name);
    std::vector<uint32_t> all;
    for (int y = 0; y < image->Height(); ++y)
      for (int x = 0; x < image->Width(); ++x)
        all.push_back(GetPixelValue(*image->Desc(), x, y));
    return all;
  }
  void ExpectOk(const std::vector<std::string>& args) {
    testutil::CliRun run = Veska(args);
    EXPECT_EQ(run.exitCode, 0) << args[0] << ": " << run.err;
  }
  uint16_t Sample16(const std::string& name, int x, int y) {
    std::unique_ptr<AImage> image = Loaded(name);
    EXPECT_TRUE(image->Channels().SixteenBit()) << name;
    return ImageRow(image->Channels().Plane(0)->Matrix(), y)[x];
  }
};

TEST_F(CliOpsTest, QuarterTurnsGiveBackTheInput) {
  Write("in.png", MakeImage(kW, kH, 24, Colour));
  ExpectOk({"rotate", "in.png", "r.png", "90"});
  std::unique_ptr<AImage> turned = Loaded("r.png");
  ASSERT_TRUE(turned->Width() == kH && turned->Height() == kW);
  EXPECT_EQ(GetPixelValue(*turned->Desc(), kH - 1, 0), Colour(0, 0));  // clockwise
  ExpectOk({"rotate", "r.png", "back.png", "270"});
  EXPECT_EQ(Pixels("back.png"), Pixels("in.png"));
  ExpectOk({"rotate", "in.png", "t.png", "90"});
  for (int turn = 1; turn < 4; ++turn) ExpectOk({"rotate", "t.png", "t.png", "90"});
  EXPECT_EQ(Pixels("t.png"), Pixels("in.png"));
}

TEST_F(CliOpsTest, SixteenBitTiffStaysSixteenBitThroughEveryCommand) {
  Write("s.tif", MakeSampleImage(kW, kH, true, Sample));
  ExpectOk({"rotate", "s.tif", "r.tif", "270"});
  ExpectOk({"flip", "s.tif", "f.tif", "lr"});
  ExpectOk({"resize", "s.tif", "z.tif", "60x70", "--interpolate"});
  ExpectOk({"mix", "s.tif", "f.tif", "m.tif", "--weights", "50,50"});
  EXPECT_EQ(Sample16("r.tif", 0, kW - 1), Sample(0, 0));
  EXPECT_EQ(Sample16("f.tif", kW - 1, 0), Sample(0, 0));
  EXPECT_EQ(Sample16("m.tif", 0, 3), (Sample(0, 3) + Sample(kW - 1, 3)) / 2);
  testutil::CliRun info = Veska({"info", "z.tif"});
  EXPECT_NE(info.out.find("width: 60\nheight: 70\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("sixteen_bit: yes\n"), std::string::npos) << info.out;
}

TEST_F(CliOpsTest, MixWeighsGreyImagesAndRefusesUnlikeOnes) {
  Write("g.png", MakeImage(kW, kH, 8, Grey));
  Write("h.png", MakeImage(kW, kH, 8, [](int x, int y) { return Grey(y, x); }));
  ExpectOk({"mix", "g.png", "h.png", "m.png", "--weights", "100,-50"});
  EXPECT_EQ(GetPixelValue(*Loaded("m.png")->Desc(), 40, 2), Grey(40, 2) - Grey(2, 40) / 2);

  Write("c.png", MakeImage(kW, kH, 24, Colour));
  Write("small.png", MakeImage(kW, 50, 8, Grey));
  const std::pair<const char*, std::string> cases[] = {
      {"c.png", "veska mix: The color type (color/grayscale) of Primary and Secondary images "
                "does not match and cannot be mixed.\n"},
      {"small.png", "Error -100: Cannot mix images that are different sizes\n"}};
  for (const auto& [secondary, message] : cases) {
    testutil::CliRun run = Veska({"mix", "g.png", secondary, "o.png", "--weights", "50,50"});
    EXPECT_EQ(run.exitCode, 1) << secondary;
    EXPECT_EQ(run.err, message);
  }
  EXPECT_FALSE(std::filesystem::exists(At("o.png")));
}

}  // namespace
}  // namespace veska
