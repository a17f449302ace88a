// The batch run in this process, with its log kept in memory: the early ends
// that are not success, and the cursor pair given to every plane.
#include "batch/batch_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/channel_store.h"
#include "image/pipeline.h"
#include "image/prompter.h"
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

// Records the BIF question among the log's lines and cancels it.
class QuestionLog final : public Prompter {
 public:
  explicit QuestionLog(EventLog& log) : log_(log) { previous_ = Prompter::Install(this); }
  ~QuestionLog() override { Prompter::Install(previous_); }
  bool AskBifDimensions(const std::string& path, int&, int&) override {
    log_.events.push_back("<size of " + path + ">");
    return false;
  }

 private:
  EventLog& log_;
  Prompter* previous_;
};

// The run reads an entry's input while the entry before it runs; the log,
// the questions and the files must come out as if each entry ran alone.
TEST_F(BatchRunTest, EntriesRunAsIfOneAfterAnother) {
  // The second entry reads what the first saves, over an older file.
  Write("mid.png", MakeImage(60, 60, 8, [](int x, int) { return uint32_t(x); }));
  {
    EventLog log;
    ASSERT_EQ(RunBatch(WriteBatch("in.png,31,3,mid.png\nmid.png,21,5,out.png\n"), 16, log),
              BatchRunResult::kCompleted);
    EXPECT_EQ(log.events.size(), 8u);
  }
  PipelineRequest first;
  first.input = "in.png";
  first.output = "e1.png";
  first.bigCursor = 31;
  first.smallCursor = 3;
  first.process.scanlines = 16;
  ASSERT_EQ(RunPipeline(first).status, status::kOk);
  PipelineRequest second = first;
  second.input = "e1.png";
  second.output = "e2.png";
  second.bigCursor = 21;
  second.smallCursor = 5;
  ASSERT_EQ(RunPipeline(second).status, status::kOk);
  EXPECT_TRUE(testutil::ReadWholeFile("out.png") == testutil::ReadWholeFile("e2.png"))
      << "out.png is not the second step over the first step's result";

  // A next input that fails to load, or asks a question, does so at its turn.
  WriteText("raw.bif", std::string(2600, '\x40'));
  const std::string entry = "Reading input file in.png\r\r\n"
                            "Processing in.png completed successfully\r\r\n"
                            "a.png saved successfully\r\r\n"
                            "----------------------------\r\r\n";
  EventLog missing;
  EXPECT_EQ(RunBatch(WriteBatch("in.png,31,3,a.png\nnone.png,31,3,b.png\n"), 16, missing),
            BatchRunResult::kEntryFailed);
  ASSERT_EQ(missing.events.size(), 6u);
  EXPECT_EQ(missing.events[5], "Error reading input file none.png\r\r\n");
  EventLog asked;
  QuestionLog questions(asked);
  EXPECT_EQ(RunBatch(WriteBatch("in.png,31,3,a.png\nraw.bif,31,3,b.png\n"), 16, asked),
            BatchRunResult::kEntryFailed);
  EXPECT_EQ(asked.Text(), entry + "<size of raw.bif>Error reading input file raw.bif\r\r\n");
  EXPECT_EQ(missing.Text().substr(0, entry.size()), entry);
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
