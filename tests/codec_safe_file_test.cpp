#include "imagelib/safe_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "codec_test_support.h"
#include "imagelib/bmp_codec.h"
#include "imagelib/jpeg_codec.h"
#include "imagelib/pcx_codec.h"
#include "imagelib/png_codec.h"
#include "imagelib/status.h"
#include "imagelib/tiff_codec.h"

namespace veska {
namespace {

using test::TempDir;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

int WriteText(const std::string& path, const std::string& text) {
  SafeFile f;
  if (int rc = f.Open(path)) return rc;
  if (int rc = f.Write(text.data(), text.size())) return rc;
  return f.Commit();
}

// Watches the sync of every SafeFile while it lives: the size of the file
// synced and the target's contents at that moment; the sync returns `result`.
struct SyncWatch {
  static inline std::string target;
  static inline std::vector<long long> sizes;
  static inline std::vector<std::vector<uint8_t>> targets;
  static inline int result = 0;
  static int Sync(int fd) {
    struct stat st {};
    EXPECT_EQ(fstat(fd, &st), 0);
    sizes.push_back(st.st_size);
    targets.push_back(test::ReadBytes(target));
    return result;
  }
  SyncWatch(const std::string& path, int rc) {
    target = path, result = rc;
    sizes.clear(), targets.clear();
    SafeFile::SetSyncForTesting(Sync);
  }
  ~SyncWatch() { SafeFile::SetSyncForTesting(nullptr); }
};

// Removes any write limit a test set, whatever way it ends.
struct WriteLimit {
  explicit WriteLimit(long long bytes) { SafeFile::SetWriteLimitForTesting(bytes); }
  ~WriteLimit() { SafeFile::SetWriteLimitForTesting(-1); }
};

TEST(SafeFile, NewFilesGetUmaskModeAndOverwritesKeepTheirs) {
  TempDir dir;
  const mode_t old = umask(027);
  const std::string path = dir.File("a.txt");
  EXPECT_EQ(WriteText(path, "first"), 0);
  EXPECT_EQ(ModeOf(path), mode_t(0640));

  chmod(path.c_str(), 0604);
  EXPECT_EQ(WriteText(path, "second"), 0);
  umask(old);
  EXPECT_EQ(ModeOf(path), mode_t(0604));
  EXPECT_EQ(test::ReadBytes(path), (std::vector<uint8_t>{'s', 'e', 'c', 'o', 'n', 'd'}));
  EXPECT_EQ(dir.Entries().size(), 1u);  // no temporary file left
}

// After a crash the target must be the old file or the whole new one: the
// data is synced complete before the rename, and a failed sync fails the save.
TEST(SafeFile, SyncsTheWholeFileBeforeItReplacesTheTarget) {
  TempDir dir;
  const std::string path = dir.File("a.txt");
  ASSERT_EQ(WriteText(path, "old"), 0);
  {
    SyncWatch watch(path, 0);
    ASSERT_EQ(WriteText(path, "new text"), 0);
    EXPECT_EQ(watch.sizes, std::vector<long long>{8});
    ASSERT_EQ(watch.targets.size(), 1u);
    EXPECT_EQ(watch.targets[0], (std::vector<uint8_t>{'o', 'l', 'd'}));
  }
  SyncWatch failing(path, -1);
  EXPECT_EQ(WriteText(path, "lost"), status::kDiskFull);
  EXPECT_EQ(test::ReadBytes(path).size(), 8u);
  EXPECT_EQ(dir.Entries().size(), 1u);
}

TEST(SafeFile, RefusesMissingFoldersDirectoriesAndProtectedFiles) {
  TempDir dir;
  EXPECT_EQ(WriteText(dir.File("missing/a.txt"), "x"), status::kCannotCreate);
  EXPECT_FALSE(test::fs::exists(dir.File("missing")));
  test::fs::create_directory(dir.File("sub"));
  EXPECT_EQ(WriteText(dir.File("sub"), "x"), status::kCannotCreate);
  if (geteuid() != 0) {  // root may write anything
    ASSERT_EQ(WriteText(dir.File("ro.txt"), "keep"), 0);
    chmod(dir.File("ro.txt").c_str(), 0444);
    EXPECT_EQ(WriteText(dir.File("ro.txt"), "x"), status::kCannotCreate);
    EXPECT_EQ(test::ReadBytes(dir.File("ro.txt")).size(), 4u);
  }
  EXPECT_TRUE(dir.Clean());
}

TEST(SafeFile, WritingThroughALinkReplacesTheFileItNames) {
  TempDir dir;
  ASSERT_EQ(WriteText(dir.File("real.txt"), "old"), 0);
  test::fs::create_symlink("real.txt", dir.File("link.txt"));
  ASSERT_EQ(WriteText(dir.File("link.txt"), "new!"), 0);
  EXPECT_TRUE(test::fs::is_symlink(dir.File("link.txt")));
  EXPECT_EQ(test::ReadBytes(dir.File("real.txt")).size(), 4u);
}

// Every writer, failing part way through as on a full disk or at the sync,
// reports -3 and leaves the existing file byte for byte as it was, with no
// temporary file.
TEST(SafeFile, FailedWritesOfEveryCodecLeaveTheTargetUntouched) {
  TempDir dir;
  test::Image grey(64, 40, 8), colour(64, 40, 24), deep(64, 40, 16);
  test::FillPattern(grey.d);
  test::FillPattern(colour.d);
  test::FillPattern(deep.d);
  const std::vector<std::function<int(const std::string&)>> writers = {
      [&](const std::string& p) { return BmpWrite(p, colour.d); },
      [&](const std::string& p) { return BmpWrite(p, grey.d, true); },
      [&](const std::string& p) { return PcxWrite(p, grey.d); },
      [&](const std::string& p) { return JpegWrite(p, colour.d); },
      [&](const std::string& p) { return PngWrite(p, colour.d); },
      [&](const std::string& p) { return TiffWrite(p, grey.d, {kTiffPackBits}); },
      [&](const std::string& p) { return TiffWrite(p, deep.d); },
  };
  const std::string path = dir.File("target");
  const std::vector<uint8_t> original(3000, 0xA5);
  for (size_t i = 0; i < writers.size(); ++i) {
    SCOPED_TRACE(i);
    test::WriteBytes(path, original);
    ASSERT_EQ(writers[i](dir.File("reference")), 0);
    const long long size = (long long)test::fs::file_size(dir.File("reference"));
    test::fs::remove(dir.File("reference"));
    for (long long limit : {0LL, size / 2, size - 1}) {
      WriteLimit failing(limit);
      EXPECT_EQ(writers[i](path), status::kDiskFull) << "limit " << limit;
      EXPECT_EQ(test::ReadBytes(path), original);
      EXPECT_EQ(dir.Entries().size(), 1u);
    }
    SyncWatch failing(path, -1);
    EXPECT_EQ(writers[i](path), status::kDiskFull);
    EXPECT_EQ(test::ReadBytes(path), original);
  }
}

}  // namespace
}  // namespace veska
