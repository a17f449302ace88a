#include "imagelib/tiff_io.h"

#include <mutex>

#include "imagelib/codec_common.h"

namespace veska {
namespace {

FILE* Stream(thandle_t handle) { return static_cast<FILE*>(handle); }

tmsize_t ReadProc(thandle_t handle, void* data, tmsize_t size) {
  return tmsize_t(std::fread(data, 1, size_t(size), Stream(handle)));
}

tmsize_t WriteProc(thandle_t handle, void* data, tmsize_t size) {
  return tmsize_t(std::fwrite(data, 1, size_t(size), Stream(handle)));
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  if (fseeko(Stream(handle), off_t(offset), whence) != 0) return toff_t(-1);
  return toff_t(ftello(Stream(handle)));
}

int CloseProc(thandle_t) { return 0; }  // the stream belongs to the caller

toff_t SizeProc(thandle_t handle) {
  const long long size = StreamSize(Stream(handle));
  return size < 0 ? 0 : toff_t(size);
}

int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

}  // namespace

TiffPtr OpenTiffStream(FILE* file, const char* name, const char* mode) {
  static std::once_flag silenced;
  std::call_once(silenced, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
  return TiffPtr(TIFFClientOpen(name, mode, file, ReadProc, WriteProc, SeekProc, CloseProc,
                                SizeProc, MapProc, UnmapProc));
}

}  // namespace veska
