// Status codes of the image library and the application, their messages, and
// the one error reporter through which user-facing layers show them.
//
// Library code returns a status code and never shows anything; the GUI and
// the command line report failures through ErrorReporter::Get().
#pragma once

#include <string>

namespace veska {

// Named codes used by the code. Every code of the message table has its text
// in status.cpp; these names exist only for the codes that code raises.
namespace status {
constexpr int kOk = 0;
constexpr int kRange = -1;              // "Range error"
constexpr int kDiskFull = -3;           // "Disk full, file not written"
constexpr int kFileNotFound = -4;       // "Filename not found"
constexpr int kBadTif = -6;             // "Unreadable TIF format"
constexpr int kBadPng = -7;             // (no text) unreadable or truncated PNG
constexpr int kTifBitsPerSample = -8;   // "TIF bits per sample not supported"
constexpr int kBadCompression = -9;     // "Unsupported compression scheme ..."
constexpr int kCannotCreate = -10;      // "Cannot create file"
constexpr int kUnknownFormat = -11;     // "Unknown file format"
constexpr int kDibCompressed = -12;     // "Device independent bitmap is compressed "
constexpr int kNoMemory = -14;          // "Insufficient memory for function "
constexpr int kBadPcx = -16;            // "Unreadable PCX format"
constexpr int kPrintError = -18;        // "Print error"
constexpr int kBitsPerPixel = -26;      // "Bits per pixel not supported"
constexpr int kBadBmp = -27;            // "Unreadable BMP format"
constexpr int kBadBuffer = -42;         // "Invalid image buffer address"
constexpr int kBadJpeg = -43;           // "Unreadable JPEG format"
constexpr int kTooLarge = -73;          // (no text) JPEG or PCX rectangle over 65535
constexpr int kMixSize = -100;          // "Cannot mix images that are different sizes"
constexpr int kCancelled = 100;         // the user cancelled; never shown
constexpr int kSamplesPerPixel = 2001;
constexpr int kBitsPerSample = 2002;
constexpr int kZeroSize = 2003;
constexpr int kMaxSize = 2018;
constexpr int kErrorOpeningFile = 2019;
constexpr int kUnevenLines = 2020;
constexpr int kNeedsMmx = 2021;
constexpr int kColour16BitTiff = 2022;
constexpr int kBelowMinimumSize = 2023;
constexpr int kCouldNotWrite = 2024;
constexpr int kTooLargeToPrint = 2026;
}  // namespace status

// The smallest image width and height a file may have; code 2023 names them.
constexpr int kMinimumImageSide = 50;

// The message of a code, or nullptr when the code has no text.
const char* StatusMessage(int code);

// "Error %d: " followed by the code's message (2023 with its two sizes filled
// in). A code without a message gives the prefix followed by the reason noted
// for that code (NoteFailureReason), or just the prefix when none was noted.
std::string FormatError(int code);

// A decoder's own words for why it failed with `code` ("not a PNG file"),
// kept for the process (a load on a worker thread is reported on another)
// until the next note, ClearFailureReason, a Load or Save, or a report. Only
// codes without a message of their own show it; the others keep their exact
// text.
// Returns `code`, so a failure can be noted where it is returned.
int NoteFailureReason(int code, const std::string& reason);
void ClearFailureReason();

// The process-wide error reporter. The default writes the formatted text to
// stderr; the desktop application installs one that shows a message box.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;

  // The reporter in force (the stderr one unless another was installed).
  static ErrorReporter& Get();
  // Installs `reporter` (not owned) as the process-wide instance; nullptr
  // restores the default. Returns the previous one.
  static ErrorReporter* Install(ErrorReporter* reporter);

  // Shows the message of `code`. Success and a user's cancel show nothing.
  // The noted failure reason is used up by the report.
  void Report(int code);

 protected:
  virtual void Show(const std::string& text) = 0;
};

}  // namespace veska
