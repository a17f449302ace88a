#include "imagelib/status.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec_test_support.h"

namespace veska {
namespace {

// Texts that the image, mix and command-line tests also meet are checked there.
TEST(StatusMessages, ExactTextsAndPrefixOnlyWithoutText) {
  // Trailing blanks belong to the texts.
  EXPECT_EQ(FormatError(-9), "Error -9: Unsupported compression scheme for the image bits per pixel ");
  EXPECT_EQ(FormatError(-23), "Error -23: Expanded memory manager not found");
  EXPECT_EQ(FormatError(2024),
            "Error 2024: Could not write to disk.  File may be protected, or disk may be full.");
  const std::string print = FormatError(2026);
  EXPECT_NE(print.find("paper size.\n\nYou may want"), std::string::npos);
  EXPECT_NE(print.find("(if supported)."), std::string::npos);
  for (int code : {-7, -28, -29, -30, -35, -36, -73, 2004, 2017, 2025, 12345})
    EXPECT_EQ(FormatError(code), "Error " + std::to_string(code) + ": ") << code;
}

TEST(ErrorReporterTest, CancelIsNeverShownAndInstallRestores) {
  const ErrorReporter* outer = &ErrorReporter::Get();
  {
    test::RecordingReporter recorder;
    ErrorReporter::Get().Report(status::kCancelled);
    ErrorReporter::Get().Report(0);
    ErrorReporter::Get().Report(-4);
    EXPECT_EQ(recorder.shown,
              (std::vector<std::string>{"Error 0: No error", "Error -4: Filename not found"}));
  }
  EXPECT_EQ(&ErrorReporter::Get(), outer);
}

}  // namespace
}  // namespace veska
