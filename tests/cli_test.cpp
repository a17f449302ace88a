// The `veska` program end to end: each case runs the built binary in a folder
// of its own on small images written with the project's writers, and checks
// exit status, stdout, stderr and the files left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/row_update.h"
#include "image/image_process.h"
#include "image/primary_plane.h"
#include "imagelib/pixel_access.h"
#include "imagelib/status.h"
#include "tests/cli_runner.h"
#include "tests/image_file_support.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

namespace fs = std::filesystem;
using testutil::CliRun;
using test::Pixels;
using testutil::ReadWholeFile;

constexpr int kW = 57;  // an odd difference between width and height
constexpr int kH = 52;

uint32_t GreyPixel(int x, int y) { return uint32_t(60 + 2 * x + y + int(8 * Noise(x, y))); }
uint32_t ColourPixel(int x, int y) {
  return Rgb(uint32_t(40 + 3 * x), uint32_t(200 - 2 * y), uint32_t(90 + int(20 * Noise(x, y))));
}
uint16_t Sample16(int x, int y) { return uint16_t(1000 + 37 * x + 11 * y); }
int AsciiValue(int x, int y) { return (x * 7 + y * 13) % 1000; }
uint8_t BifByte(int x, int y) { return uint8_t(x * 3 + y * 2); }

// The "channel 0" line of `veska info` for an image whose values are value(x, y).
template <typename F>
std::string ChannelLine(F value) {
  int lo = 1 << 30, hi = -1;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      lo = std::min(lo, int(value(x, y)));
      hi = std::max(hi, int(value(x, y)));
    }
  return "channel 0: min=" + std::to_string(lo) + " max=" + std::to_string(hi) + "\n";
}

class CliTest : public testutil::CliFolderTest {
 protected:
  // Runs `veska` with the blank-separated words of `line`.
  CliRun VeskaLine(const std::string& line) {
    std::istringstream words(line);
    return Veska({std::istream_iterator<std::string>(words), {}});
  }
  void WriteGrey(const std::string& name, int width = kW, int height = kH) {
    Write(name, MakeImage(width, height, 8, GreyPixel));
  }
  void WriteColour(const std::string& name, int width = kW, int height = kH) {
    Write(name, MakeImage(width, height, 24, ColourPixel));
  }
  void WriteBif(const std::string& name) {
    std::string raw;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) raw += char(BifByte(x, y));
    WriteText(name, raw);
  }
  void ExpectOk(const std::vector<std::string>& args) {
    CliRun run = Veska(args);
    EXPECT_EQ(run.exitCode, 0) << args[0] << ": " << run.err;
  }
  // Sample (x, y) of a file that must load as 16-bit samples.
  uint16_t SampleOf(const std::string& name, int x, int y) {
    std::unique_ptr<AImage> image = Loaded(name);
    EXPECT_TRUE(image->Channels().SixteenBit()) << name;
    return ImageRow(image->Channels().Plane(0)->Matrix(), y)[x];
  }
};

// The log of one successful entry, as printed on stdout.
std::string EntryLog(const std::string& input, const std::string& output) {
  return "Reading input file " + input + "\nProcessing " + input +
         " completed successfully\n" + output + " saved successfully\n" +
         std::string(28, '-') + "\n";
}

std::string Crlf2(std::string text) {
  std::string bytes;
  for (char c : text) bytes += c == '\n' ? std::string("\r\r\n") : std::string(1, c);
  return bytes;
}

TEST_F(CliTest, BatchRunsEveryEntryAndLogs) {
  WriteGrey("grey.png");
  WriteColour("colour.bmp");
  WriteText("jobs.btc", "; two jobs\r\ngrey.png, 31, 3, out1.png\r\n colour.bmp ,41,5,out2.bmp\n");
  CliRun run = Veska({"batch", "jobs.btc", "--log", "run.log"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  std::string expected = EntryLog("grey.png", "out1.png") + EntryLog("colour.bmp", "out2.bmp");
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(ReadWholeFile(At("run.log")), Crlf2(expected));
  std::unique_ptr<AImage> out2 = Loaded("out2.bmp");
  EXPECT_EQ(out2->Width(), kW);
  EXPECT_EQ(out2->Desc()->BitsPerPixel(), 24);

  // A batch without work: nothing printed, an empty log written, success.
  WriteText("empty.btc", "; nothing to do\n\ngrey.png,31,3,never.png\n");
  run = Veska({"batch", "empty.btc", "--log", "empty.log", "--quiet"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(fs::exists(At("empty.log")));
  EXPECT_EQ(fs::file_size(At("empty.log")), 0u);
  EXPECT_FALSE(fs::exists(At("never.png")));
}

TEST_F(CliTest, BatchStopsAtTheFirstFailedEntry) {
  WriteGrey("grey.png");
  WriteGrey("small.png", 49, kH);  // below the 50-pixel minimum
  WriteText("jobs.btc", "grey.png,31,3,out1.png\nsmall.png,31,3,out2.png\ngrey.png,31,3,out3.png\n");
  CliRun run = Veska({"batch", "jobs.btc", "--log", "run.log"}, /*merged=*/true);
  EXPECT_EQ(run.exitCode, 1);
  // The error reaches the output before the log line that ends the run.
  std::string expected = EntryLog("grey.png", "out1.png") +
                         "Error 2023: Image smaller than minimum dimensions size (50x50)\n"
                         "Error reading input file small.png\n";
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(ReadWholeFile(At("run.log")),
            Crlf2(EntryLog("grey.png", "out1.png") + "Error reading input file small.png\n"));
  EXPECT_TRUE(fs::exists(At("out1.png")));
  EXPECT_FALSE(fs::exists(At("out2.png")));
  EXPECT_FALSE(fs::exists(At("out3.png")));

  // A save into a folder that does not exist fails; the folder is not made.
  WriteText("save.btc", "grey.png,31,3,nofolder/out.png\n");
  run = Veska({"batch", "save.btc"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Error -10: Cannot create file\n");
  EXPECT_EQ(run.out, "Reading input file grey.png\nProcessing grey.png completed successfully\n"
                     "Error saving nofolder/out.png\n");
  EXPECT_FALSE(fs::exists(At("nofolder")));
}

TEST_F(CliTest, BatchFileRefusedBeforeAnythingRuns) {
  WriteGrey("grey.png");
  WriteText("jobs.btc", "grey.png,31,3,out1.png\ngrey.png,30,3,out2.png\n");
  CliRun run = Veska({"batch", "jobs.btc", "--log", "run.log"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "'Cursor must be odd '30'\ngrey.png,30,3,out2.png'\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(fs::exists(At("out1.png")));
  EXPECT_FALSE(fs::exists(At("run.log")));

  run = Veska({"batch", "missing.btc"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "Batch File 'missing.btc' does not exist\n");
  fs::create_directory(At("folder.btc"));
  run = Veska({"batch", "folder.btc"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("'folder.btc'"), std::string::npos) << run.err;
}

TEST_F(CliTest, BatchBifInputsNeedTheirSize) {
  WriteBif("raw.bif");
  WriteText("jobs.btc", "raw.bif,31,3,out.bmp\n");
  CliRun run = Veska({"batch", "jobs.btc"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("--bif-size WxH"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "Error reading input file raw.bif\n");
  run = Veska({"batch", "jobs.btc", "--bif-size", "57x52", "--scanlines", "16"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, EntryLog("raw.bif", "out.bmp"));
}

TEST_F(CliTest, InfoOnEveryFormat) {
  WriteGrey("grey.png");
  CliRun run = Veska({"info", "grey.png"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "format: PNG\nwidth: 57\nheight: 52\nbits_per_pixel: 8\ngrayscale: yes\n"
                     "from_indexed: no\ndpi: 72.00\nluminance: single\nsixteen_bit: no\n" +
                         ChannelLine(GreyPixel));

  Write("s16.tif", MakeSampleImage(kW, kH, true, Sample16));
  std::string text;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) text += std::to_string(AsciiValue(x, y)) + "\t";
    text += "\n";
  }
  WriteText("m.asc", text);
  WriteBif("raw.bif");
  WriteColour("colour.bmp");
  WriteColour("colour.jpg");
  WriteGrey("grey.pcx");
  const std::pair<std::string, std::string> cases[] = {
      {"s16.tif", "sixteen_bit: yes\n" + ChannelLine(Sample16)},
      {"m.asc", "sixteen_bit: no\n" + ChannelLine(AsciiValue)},
      {"raw.bif --bif-size 57x52", ChannelLine(BifByte)},
      {"colour.bmp", "format: BMP\nwidth: 57\nheight: 52\nbits_per_pixel: 24\ngrayscale: no\n"},
      {"colour.jpg", "format: JPEG\n"},
      {"grey.pcx", "format: PCX\n"},
  };
  for (const auto& [args, part] : cases) {
    run = VeskaLine("info " + args);
    EXPECT_EQ(run.exitCode, 0) << args << run.err;
    EXPECT_NE(run.out.find(part), std::string::npos) << run.out;
  }
  run = Veska({"info", "nothing.png"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Error -4: Filename not found\n");

  // Transparency is flattened, and said so.
  test::WritePng(At("rgba.png").string(), kW, kH, 8, PNG_COLOR_TYPE_RGBA, false,
                 [](int, std::vector<uint8_t>& row) { std::fill(row.begin(), row.end(), 200); });
  run = Veska({"info", "rgba.png"});
  EXPECT_NE(run.out.find("sixteen_bit: no\nalpha: flattened\nchannel 0:"), std::string::npos)
      << run.out;
}

TEST_F(CliTest, ProcessWritesTheEnginesBytesInEveryProcessorBuild) {
  // The plain build runs the scalar colour conversions and kernel: every
  // other build must write the same files for grey, composite colour and
  // multi-channel colour runs, a width that ends inside a vector included,
  // and they hold what the engine makes in this process. The images are
  // large enough that a rectangle's output still loads (50 x 50 at least).
  WriteGrey("grey.png", 101, 67);
  WriteColour("colour.bmp", 101, 67);
  struct Case {
    std::string input, output, options;
    std::optional<PixelRect> rect;
    bool multi;
    uint16_t scanlines, small, big;
  };
  const Case cases[] = {
      {"grey.png", "grey.png", "", std::nullopt, false, 16, 3, 21},
      {"grey.png", "rect.bmp", "--rect 10,6,69,59 --scanlines 8", PixelRect{10, 6, 69, 59}, false,
       8, 3, 21},
      {"colour.bmp", "single.bmp", "", std::nullopt, false, 16, 3, 21},
      {"colour.bmp", "multi.bmp", "--luminance multi --rect=20,0,95,63", PixelRect{20, 0, 95, 63},
       true, 16, 1, 9},
  };
  const char* previous = std::getenv("VESKA_KERNEL");
  const std::string saved = previous != nullptr ? previous : "";
  std::vector<std::string> reference;
  for (const RowKernelSet* build : AvailableRowKernels()) {
    setenv("VESKA_KERNEL", build->name, 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
      const Case& c = cases[i];
      CliRun run = VeskaLine("process " + c.input + " out-" + c.output + " --big " +
                             std::to_string(c.big) + " --small " + std::to_string(c.small) + " " +
                             c.options);
      ASSERT_EQ(run.exitCode, 0) << build->name << ": " << run.err;
      EXPECT_EQ(run.out + run.err, "");
      const std::string bytes = ReadWholeFile(At("out-" + c.output));
      if (reference.size() <= i)
        reference.push_back(bytes);  // the plain build comes first
      else
        EXPECT_TRUE(bytes == reference[i]) << build->name << " writes another " << c.output;
    }
  }
  if (previous != nullptr)
    setenv("VESKA_KERNEL", saved.c_str(), 1);
  else
    unsetenv("VESKA_KERNEL");

  for (const Case& c : cases) {
    std::unique_ptr<AImage> cli = Loaded("out-" + c.output), input = Loaded(c.input);
    ASSERT_TRUE(cli->Loaded() && input->Loaded());
    ASSERT_EQ(c.multi ? input->Channels().SetMultiChannel() : 0, 0);
    for (int i = 0; i < input->Channels().PlaneCount(); ++i)
      input->Channels().SetCursors(i, c.small, c.big);
    AImage expected;
    ASSERT_EQ(ProcessImage(expected, *input, {.rect = c.rect, .scanlines = c.scanlines}),
              status::kOk);
    ASSERT_EQ(cli->Width(), expected.Width()) << c.output;
    ASSERT_EQ(Pixels(*cli), Pixels(expected)) << c.output;
  }
}

TEST_F(CliTest, UsageErrorsExitTwoAndWriteNothing) {
  WriteGrey("grey.png");
  WriteBif("raw.bif");
  const std::string process = "process grey.png o.png --big 31 --small 3 ";
  const std::pair<std::string, std::string> cases[] = {
      {"", "Usage: veska COMMAND"},
      {"sharpen grey.png", "unknown command 'sharpen'"},
      {"process grey.png o.png --big 31", "missing --small"},
      {"process grey.png o.png --big x --small 3", "--big must be a whole"},
      {"process grey.png o.png --big 3 --small 31",
       "Big Cursor must be larger than Small Cursor '3', '31'"},
      {"process grey.png o.png --big 31 --small 4", "Cursor must be odd '4'"},
      {process + "--rect 0,0,57,10", "--rect must lie inside the 57x52 image"},
      {process + "--scanlines 41", "--scanlines must be a whole number from 1 to 40"},
      {process + "--luminance rgb", "--luminance must be"},
      {"process raw.bif o.png --big 31 --small 3", "--bif-size WxH"},
      {"batch jobs.btc --scanlines 15", "--scanlines must be a whole number from 16 to 40"},
      {"convert raw.bif o.png --bif-size 57", "--bif-size must be"},
      {"convert grey.png", "missing operand"},
      {"mix grey.png grey.png o.png --weights 50,101", "--weights must be W1,W2"},
      {"mix grey.png grey.png o.png", "missing --weights"},
      {"rotate grey.png o.png 45", "the angle must be 90, 180 or 270, not '45'"},
      {"flip grey.png o.png up", "the direction must be lr or ud, not 'up'"},
      {"resize grey.png o.png 0x50", "the size must be WIDTHxHEIGHT"},
  };
  for (const auto& [line, message] : cases) {
    CliRun run = VeskaLine(line);
    EXPECT_EQ(run.exitCode, 2) << line;
    EXPECT_NE(run.err.find(message), std::string::npos) << line << ": " << run.err;
  }
  EXPECT_FALSE(fs::exists(At("o.png")));

  for (const char* command :
       {"process", "convert", "info", "batch", "rotate", "flip", "resize", "mix"}) {
    CliRun run = Veska({command, "--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind(std::string("Usage: veska ") + command, 0), 0u) << run.out;
  }
  CliRun run = Veska({"--version"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.rfind("veska ", 0), 0u);
}

TEST_F(CliTest, EditCommandsKeepSixteenBitSamples) {
  // A 16-bit grey PNG from libpng, through TIFF and PNG files of ours and
  // every command that edits an image, one of them writing over its input.
  test::WritePng(At("s.png").string(), kW, kH, 16, PNG_COLOR_TYPE_GRAY, false,
                 [](int y, std::vector<uint8_t>& row) {
                   for (int x = 0; x < kW; ++x) {
                     row[2 * x] = uint8_t(Sample16(x, y) >> 8);
                     row[2 * x + 1] = uint8_t(Sample16(x, y));
                   }
                 });
  ExpectOk({"convert", "s.png", "s.TIFF"});
  ExpectOk({"convert", "s.TIFF", "back.png"});
  ExpectOk({"rotate", "s.TIFF", "r.tif", "90"});
  ExpectOk({"rotate", "r.tif", "rr.png", "270"});
  for (int turn = 0; turn < 2; ++turn) ExpectOk({"rotate", "rr.png", "rr.png", "180"});
  ExpectOk({"flip", "s.png", "f.tif", "lr"});
  ExpectOk({"resize", "s.png", "z.tif", "60x70", "--interpolate"});
  ExpectOk({"mix", "s.TIFF", "f.tif", "m.tif", "--weights", "50,50"});
  for (const char* name : {"s.png", "s.TIFF", "back.png", "rr.png"}) {
    std::unique_ptr<AImage> copy = Loaded(name);
    ASSERT_TRUE(copy->Loaded() && copy->Channels().SixteenBit()) << name;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        ASSERT_EQ(test::PlaneSample(*copy, x, y), Sample16(x, y)) << name << " " << x << "," << y;
  }
  EXPECT_EQ(SampleOf("r.tif", kH - 1, 0), Sample16(0, 0));  // clockwise
  EXPECT_EQ(SampleOf("f.tif", kW - 1, 0), Sample16(0, 0));
  EXPECT_EQ(SampleOf("m.tif", 0, 3), (Sample16(0, 3) + Sample16(kW - 1, 3)) / 2);
  CliRun info = Veska({"info", "z.tif"});
  EXPECT_NE(info.out.find("width: 60\nheight: 70\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("sixteen_bit: yes\n"), std::string::npos) << info.out;
}

TEST_F(CliTest, MixWeighsGreyImagesAndRefusesUnlikeOnes) {
  WriteGrey("g.png");
  Write("h.png", MakeImage(kW, kH, 8, [](int x, int y) { return GreyPixel(y, x); }));
  ExpectOk({"mix", "g.png", "h.png", "m.png", "--weights", "100,-50"});
  EXPECT_EQ(GetPixelValue(*Loaded("m.png")->Desc(), 40, 2),
            uint32_t(GreyPixel(40, 2) - GreyPixel(2, 40) / 2.0));

  WriteColour("c.png");
  WriteGrey("small.png", kW, 50);
  const std::pair<const char*, std::string> cases[] = {
      {"c.png", "veska mix: The color type (color/grayscale) of Primary and Secondary images "
                "does not match and cannot be mixed.\n"},
      {"small.png", "Error -100: Cannot mix images that are different sizes\n"}};
  for (const auto& [secondary, message] : cases) {
    CliRun run = Veska({"mix", "g.png", secondary, "o.png", "--weights", "50,50"});
    EXPECT_EQ(run.exitCode, 1) << secondary;
    EXPECT_EQ(run.err, message);
  }
  EXPECT_FALSE(fs::exists(At("o.png")));
}

}  // namespace
}  // namespace veska
