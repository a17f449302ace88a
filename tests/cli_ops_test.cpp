// The rotate, flip, resize and mix commands of the built `veska` program, on
// small files written with the project's writers.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "image/aimage.h"
#include "image/image_file.h"
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

class CliOpsTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testutil::FreshTestFolder("cli_ops"); }

  testutil::CliRun Veska(const std::vector<std::string>& args) {
    return testutil::RunProgram(VESKA_CLI, args, dir_);
  }
  void Write(const std::string& name, const std::unique_ptr<AImage>& image) {
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(Save(*image, (dir_ / name).string()), 0) << name;
  }
  std::unique_ptr<AImage> Loaded(const std::string& name) {
    auto image = std::make_unique<AImage>();
    EXPECT_EQ(Load(*image, (dir_ / name).string()), 0) << name;
    return image;
  }
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

  std::filesystem::path dir_;
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
  for (const char* name : {"r.tif", "f.tif", "z.tif", "m.tif"}) {
    std::unique_ptr<AImage> image = Loaded(name);
    EXPECT_TRUE(image->Channels().SixteenBit()) << name;
  }
  EXPECT_EQ(ImageRow(Loaded("r.tif")->Channels().Plane(0)->Matrix(), kW - 1)[0], Sample(0, 0));
  EXPECT_EQ(ImageRow(Loaded("f.tif")->Channels().Plane(0)->Matrix(), 0)[kW - 1], Sample(0, 0));
  EXPECT_EQ(ImageRow(Loaded("m.tif")->Channels().Plane(0)->Matrix(), 3)[0],
            (Sample(0, 3) + Sample(kW - 1, 3)) / 2);
  testutil::CliRun info = Veska({"info", "z.tif"});
  EXPECT_NE(info.out.find("width: 60\nheight: 70\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("sixteen_bit: yes\n"), std::string::npos) << info.out;
}

TEST_F(CliOpsTest, MixWeighsGreyImages) {
  Write("g.png", MakeImage(kW, kH, 8, Grey));
  Write("h.png", MakeImage(kW, kH, 8, [](int x, int y) { return Grey(y, x); }));
  ExpectOk({"mix", "g.png", "h.png", "m.png", "--weights", "100,-50"});
  EXPECT_EQ(GetPixelValue(*Loaded("m.png")->Desc(), 40, 2), Grey(40, 2) - Grey(2, 40) / 2);
}

TEST_F(CliOpsTest, RefusalsAndUsageErrors) {
  Write("g.png", MakeImage(kW, kH, 8, Grey));
  Write("c.png", MakeImage(kW, kH, 24, Colour));
  Write("small.png", MakeImage(kW, 50, 8, Grey));
  struct Case { std::vector<std::string> args; int exitCode; std::string message; };
  const Case cases[] = {
      {{"mix", "g.png", "c.png", "o.png", "--weights", "50,50"}, 1,
       "veska mix: The color type (color/grayscale) of Primary and Secondary images does not "
       "match and cannot be mixed.\n"},
      {{"mix", "g.png", "small.png", "o.png", "--weights", "50,50"}, 1,
       "Error -100: Cannot mix images that are different sizes\n"},
      {{"mix", "g.png", "g.png", "o.png", "--weights", "50,101"}, 2, "--weights must be W1,W2"},
      {{"mix", "g.png", "g.png", "o.png"}, 2, "missing --weights"},
      {{"rotate", "g.png", "o.png", "45"}, 2, "the angle must be 90, 180 or 270, not '45'"},
      {{"flip", "g.png", "o.png", "up"}, 2, "the direction must be lr or ud, not 'up'"},
      {{"resize", "g.png", "o.png", "0x50"}, 2, "the size must be WIDTHxHEIGHT"},
  };
  for (const Case& c : cases) {
    testutil::CliRun run = Veska(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "o.png"));
  for (const char* command : {"rotate", "flip", "resize", "mix"}) {
    testutil::CliRun run = Veska({command, "--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind(std::string("Usage: veska ") + command, 0), 0u) << run.out;
  }
}

}  // namespace
}  // namespace veska
