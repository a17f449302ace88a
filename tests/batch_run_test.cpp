// The batch run in this process, with its log kept in memory: the early ends
// that are not success, and the cursor pair given to every plane.
#include "batch/batch_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/channel_store.h"
#include "imagelib/status.h"
#include "tests/cli_runner.h"
#include "tests/test_progress.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

namespace fs = std::filesystem;

// Error messages and log lines in the order they appear.
class EventLog final : public BatchLog, public ErrorReporter {
 public:
  EventLog() { previous_ = ErrorReporter::Install(this); }
  ~EventLog() override { ErrorReporter::Install(previous_); }
  void Append(const std::string& line) override { events.push_back(line); }
  void Failure(int status) override { ErrorReporter::Get().Report(status); }
  std::string Text() const {
    std::string text;
    for (const std::string& event : events) text += event;
    return text;
  }
  std::vector<std::string> events;

 protected:
  void Show(const std::string& text) override { events.push_back("[" + text + "]"); }

 private:
  ErrorReporter* previous_;
};

uint32_t Grey(int x, int y) { return uint32_t(50 + 2 * x + y + int(6 * Noise(x, y))); }

class BatchRunTest : public testutil::WorkingFolderTest {
 protected:
  void SetUp() override {
    WorkingFolderTest::SetUp();
    Write("in.png", MakeImage(52, 50, 8, Grey));
  }
  std::string WriteBatch(const std::string& text) {
    WriteText("jobs.btc", text);
    return "jobs.btc";
  }
};

// A cancel in the progress display ends the run as a processing failure,
// silently (no error message) and without saving.
TEST_F(BatchRunTest, CancelledProcessingIsAFailure) {
  EventLog log;
  testutil::CountingProgress cancelling(/*cancelAtStep=*/3);
  BatchRunResult result =
      RunBatch(WriteBatch("in.png,31,3,out.png"), 16, log, &cancelling);
  EXPECT_EQ(result, BatchRunResult::kEntryFailed);
  EXPECT_EQ(log.Text(), "Reading input file in.png\r\r\nError processing input file in.png\r\r\n");
  EXPECT_FALSE(fs::exists("out.png"));
}

TEST_F(BatchRunTest, FormatErrorAndUnreadableFileAreNotSuccess) {
  // Validation would have refused this file; if it changes after validation,
  // the run logs the format error and says so in its result.
  EventLog log;
  EXPECT_EQ(RunBatch(WriteBatch("in.png,31,3,out.png\nin.png,31\n"), 16, log),
            BatchRunResult::kFormatError);
  ASSERT_EQ(log.events.size(), 5u);
  EXPECT_EQ(log.events[4], "Small Cursor Format Error,'in.png,31'\r\r\n");
  EXPECT_TRUE(fs::exists("out.png"));

  EventLog empty;
  EXPECT_EQ(RunBatch(WriteBatch(";only a comment\n"), 16, empty), BatchRunResult::kCompleted);
  EXPECT_EQ(RunBatch("missing.btc", 16, empty), BatchRunResult::kUnreadable);
  EXPECT_EQ(RunBatch(dir_.string(), 16, empty), BatchRunResult::kUnreadable);
  EXPECT_TRUE(empty.events.empty());
}

TEST(BatchCursorsTest, SamePairOnEveryPlaneAsSixteenBitValues) {
  std::unique_ptr<AImage> image = MakeImage(50, 50, 24, [](int x, int y) {
    return Rgb(uint32_t(x * 5), uint32_t(y * 5), uint32_t(x + y));
  });
  ASSERT_NE(image, nullptr);
  ChannelStore& store = image->Channels();
  ASSERT_EQ(store.SetMultiChannel(), 0);
  ASSERT_EQ(store.PlaneCount(), 3);
  SetCursorPairOnEveryPlane(store, 65537 + 40, 7);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(store.BigCursor(i), 41);
    EXPECT_EQ(store.SmallCursor(i), 7);
  }
}

}  // namespace
}  // namespace veska
