#include "imagelib/status.h"

#include <cstdio>
#include <cstring>
#include <mutex>

namespace veska {
namespace {

struct Message {
  int code;
  const char* text;
};

// Codes -7, -28..-30, -35, -36, -73, 2004..2017 and 2025 exist without text.
constexpr Message kMessages[] = {
    {0, "No error"},
    {-1, "Range error"},
    {-2, "Digitizer board not detected"},
    {-3, "Disk full, file not written"},
    {-4, "Filename not found"},
    {-5, "Non-dimensional variable out of range"},
    {-6, "Unreadable TIF format"},
    {-8, "TIF bits per sample not supported"},
    {-9, "Unsupported compression scheme for the image bits per pixel "},
    {-10, "Cannot create file"},
    {-11, "Unknown file format"},
    {-12, "Device independent bitmap is compressed "},
    {-13, "Invalid video mode "},
    {-14, "Insufficient memory for function "},
    {-15, "Not PIW format"},
    {-16, "Unreadable PCX format"},
    {-17, "Unreadable GIF format"},
    {-18, "Print error"},
    {-19, "Scanner error"},
    {-20, "Conventional memory handle overflow"},
    {-21, "Expanded memory manager not found"},
    {-22, "Expanded memory manager error"},
    {-23, "Expanded memory manager not found"},
    {-24, "Expanded memory manager error"},
    {-25, "Unreadable TGA format"},
    {-26, "Bits per pixel not supported"},
    {-27, "Unreadable BMP format"},
    {-31, "Serial data reception error"},
    {-32, "No data from COM port"},
    {-33, "No data from device"},
    {-34, "Function timed out"},
    {-37, "Bits per pixel of TIGA mode not 8"},
    {-38, "Could not allocate enough GSP memory"},
    {-39, "Could not load TIGA extended primitives"},
    {-40, "BAD_LOCK"},
    {-41, "Printimage() is busy"},
    {-42, "Invalid image buffer address"},
    {-43, "Unreadable JPEG format"},
    {-44, "Image is too complex to complete operation"},
    {-45, "Paper could not be unloaded from ADF"},
    {-46, "ADF lid was opened"},
    {-47, "ADF bin is empty"},
    {-48, "ADF is not connected"},
    {-49, "ADF is connected but not ready"},
    {-50, "Function not available due to missing module"},
    {-51, "TIF page not found"},
    {-52, "Pointer does not point at readable/writable memory"},
    {-53, "LZW functionality disabled"},
    {-100, "Cannot mix images that are different sizes"},
    {2001, "Image samples per pixel not supported, (must be 1 or 3)"},
    {2002, "Image bits per sample not supported (must be between 4 and 16)"},
    {2003, "Image length or width is zero"},
    {2018, "Maximum image size exceeded"},
    {2019, "Error opening file"},
    {2020, "File does not have same number of elements on each line"},
    {2021, "Operation requires a Pentium MMX processor"},
    {2022, "16-bit color TIFF file format not supported"},
    {2023, "Image smaller than minimum dimensions size (%dx%d)"},
    {2024, "Could not write to disk.  File may be protected, or disk may be full."},
    {2026,
     "The image is too large to print on the selected paper size.\n\nYou may want to "
     "resize or rotate the image, change the paper orientation, or enable the scale "
     "to fit feature in the printer settings (if supported)."},
};

class StderrReporter final : public ErrorReporter {
 protected:
  void Show(const std::string& text) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
  }
};

StderrReporter g_stderrReporter;

// The last noted reason and the code it explains. One for the process, not
// per thread: the desktop loads on a worker thread and reports on its own.
struct FailureReason {
  int code = 0;
  std::string text;
};
std::mutex g_reasonLock;
FailureReason g_reason;
ErrorReporter* g_reporter = &g_stderrReporter;

}  // namespace

const char* StatusMessage(int code) {
  for (const Message& m : kMessages)
    if (m.code == code) return m.text;
  return nullptr;
}

std::string FormatError(int code) {
  std::string text = "Error " + std::to_string(code) + ": ";
  const char* message = StatusMessage(code);
  if (message == nullptr) {
    std::lock_guard<std::mutex> lock(g_reasonLock);
    return g_reason.code == code && code != 0 ? text + g_reason.text : text;
  }
  if (code == status::kBelowMinimumSize) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, message, kMinimumImageSide, kMinimumImageSide);
    return text + buffer;
  }
  return text + message;
}

int NoteFailureReason(int code, const std::string& reason) {
  std::lock_guard<std::mutex> lock(g_reasonLock);
  g_reason = FailureReason{code, reason};
  return code;
}

void ClearFailureReason() {
  std::lock_guard<std::mutex> lock(g_reasonLock);
  g_reason = FailureReason{};
}

ErrorReporter& ErrorReporter::Get() { return *g_reporter; }

ErrorReporter* ErrorReporter::Install(ErrorReporter* reporter) {
  ErrorReporter* previous = g_reporter;
  g_reporter = reporter != nullptr ? reporter : &g_stderrReporter;
  return previous == &g_stderrReporter ? nullptr : previous;
}

void ErrorReporter::Report(int code) {
  if (code == status::kCancelled) return;
  const std::string text = FormatError(code);
  ClearFailureReason();
  Show(text);
}

}  // namespace veska
