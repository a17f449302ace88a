#include "image/ascii_file.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

#include "image/aimage.h"
#include "image/primary_plane.h"
#include "imagelib/codec_common.h"
#include "imagelib/safe_file.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// The shape a scan found: values on the first line, and lines.
struct Shape {
  long long columns = 0;
  long long rows = 0;
};

// Walks the file's lines and values character by character, so that a line
// of any length costs no memory. Each value is handed on as its low 16 bits.
template <typename OnValue>
class Scanner {
 public:
  explicit Scanner(OnValue onValue) : onValue_(onValue) {}

  int Run(FILE* file, Shape& shape) {
    char chunk[65536];
    size_t n;
    while (!stopped_ && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
      for (size_t i = 0; i < n && !stopped_ && status_ == status::kOk; ++i) Take(chunk[i]);
      if (status_ != status::kOk) return status_;
    }
    if (std::ferror(file)) return status::kErrorOpeningFile;
    // A last line without a line break is a row too; a lone carriage return
    // at the very end is taken as its line break.
    if (!stopped_ && lineChars_ > 0) EndLine();
    shape = shape_;
    return status_;
  }

 private:
  void Take(char c) {
    if (pendingCr_) {
      pendingCr_ = false;
      if (c == '\n') {
        EndLine();
        return;
      }
      Ordinary('\r');  // a carriage return inside a line is not a separator
    }
    if (c == '\r') {
      pendingCr_ = true;
    } else if (c == '\n') {
      EndLine();
    } else {
      Ordinary(c);
    }
  }

  void Ordinary(char c) {
    ++lineChars_;
    if (c == ' ' || c == '\t') {
      EndValue();
      return;
    }
    if (!inValue_) {
      inValue_ = true;
      valid_ = true;
      digits_ = false;
      negative_ = false;
      value_ = 0;
      if (c == '-' || c == '+') {
        negative_ = c == '-';
        return;
      }
    }
    if (c >= '0' && c <= '9') {
      // Arithmetic modulo 2^16 keeps exactly the low 16 bits of any integer.
      value_ = uint16_t(value_ * 10u + unsigned(c - '0'));
      digits_ = true;
    } else {
      valid_ = false;
    }
  }

  void EndValue() {
    if (!inValue_) return;
    inValue_ = false;
    if (!valid_ || !digits_) {
      status_ = status::kUnevenLines;
      return;
    }
    onValue_(shape_.rows, column_, negative_ ? uint16_t(0u - value_) : value_);
    ++column_;
  }

  void EndLine() {
    if (lineChars_ == 0) {  // an empty line ends the image
      stopped_ = true;
      return;
    }
    EndValue();
    if (status_ != status::kOk) return;
    if (shape_.rows == 0)
      shape_.columns = column_;
    else if (column_ != shape_.columns)
      status_ = status::kUnevenLines;
    ++shape_.rows;
    lineChars_ = 0;
    column_ = 0;
  }

  OnValue onValue_;
  Shape shape_;
  int status_ = status::kOk;
  bool stopped_ = false;
  bool pendingCr_ = false;
  long long lineChars_ = 0;
  long long column_ = 0;
  bool inValue_ = false;
  bool valid_ = false;
  bool digits_ = false;
  bool negative_ = false;
  uint16_t value_ = 0;
};

template <typename OnValue>
int Scan(const std::string& path, OnValue onValue, Shape& shape) {
  FilePtr file;
  if (OpenForRead(path, file) != status::kOk) return status::kErrorOpeningFile;
  Scanner<OnValue> scanner(onValue);
  return scanner.Run(file.get(), shape);
}

int Clamped(long long v) { return v > INT_MAX ? INT_MAX : int(v); }

// Builds the planes of a derived store from the working buffer. Plane 0 is
// built from the pixels even when it is disabled (a constant image's plane is,
// and would otherwise be rebuilt as zeros); its flags stay as they were.
int BuildFromPixels(ChannelStore& store, const ImageDesc& desc) {
  ChannelPlane* first = store.Plane(0);
  const bool wasDisabled = first != nullptr && !first->Enabled();
  const bool flat = first != nullptr && first->Flat();
  const bool fullRange = first != nullptr && first->FullRange();
  if (wasDisabled) first->SetEnabled(true);
  const int rc = store.BuildLuminance(&desc, false);
  if (wasDisabled && (first = store.Plane(0)) != nullptr) {
    first->SetFlat(flat);
    first->SetEnabled(false);
    first->SetFullRange(fullRange);
  }
  return rc;
}

// One image row as text: values separated by tabs, signed 16-bit.
void FormatRow(const uint16_t* samples, int count, std::string& line) {
  line.clear();
  char text[8];
  for (int x = 0; x < count; ++x) {
    if (x > 0) line += '\t';
    const auto result = std::to_chars(text, text + sizeof text, int(int16_t(samples[x])));
    line.append(text, result.ptr);
  }
}

}  // namespace

int AsciiInformation(const std::string& path, int& columns, int& rows) {
  Shape shape;
  if (int rc = Scan(path, [](long long, long long, uint16_t) {}, shape)) return rc;
  columns = Clamped(shape.columns);
  rows = Clamped(shape.rows);
  return status::kOk;
}

int AsciiRead(const std::string& path, AImage& image) {
  ImageDesc& desc = image.Buffer();
  const int width = desc.Width(), height = desc.Height();
  ChannelStore& store = image.Channels();
  if (int rc = StartPrimaryPlane(store, desc, width, height)) return rc;
  LuminanceMatrix& m = store.Plane(0)->Matrix();
  Shape shape;
  const int rc = Scan(
      path,
      [&](long long row, long long column, uint16_t sample) {
        if (row < height && column < width) ImageRow(m, int(row))[column] = sample;
      },
      shape);
  if (rc != status::kOk) return rc;
  if (shape.rows != height || shape.columns != width) return status::kUnevenLines;
  FinishPrimaryPlane(store);
  return RenderWorkingBuffer(store, desc);
}

int AsciiWrite(AImage& image, const std::string& path) {
  ChannelStore& store = image.Channels();
  if (store.Derived()) {
    if (int rc = BuildFromPixels(store, image.Buffer())) return rc;
  }
  const ChannelPlane* plane = store.Plane(0);
  if (plane == nullptr || !plane->Matrix().HasRows()) return status::kBadBuffer;
  const LuminanceMatrix& m = plane->Matrix();

  SafeFile out;
  if (int rc = out.Open(path)) return rc;
  std::string line;
  try {
    line.reserve(size_t(m.w) * 7 + 2);
  } catch (const std::bad_alloc&) {
    return status::kNoMemory;
  }
  for (int y = 0; y < m.h; ++y) {
    FormatRow(ImageRow(m, y), m.w, line);
    if (y + 1 < m.h) line += "\r\n";
    if (out.Write(line.data(), line.size()) != status::kOk) return status::kCouldNotWrite;
  }
  return out.Commit() == status::kOk ? status::kOk : status::kCouldNotWrite;
}

}  // namespace veska
