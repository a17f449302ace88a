#include "batch/batch_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli_runner.h"

namespace veska {
namespace {

// Every entry of `bytes`; the final status and message go to the out parameters.
std::vector<BatchEntry> ReadAll(const std::string& bytes, int* status = nullptr,
                                std::string* message = nullptr) {
  CBatchFile batch;
  batch.OpenBytes(bytes);
  std::vector<BatchEntry> entries;
  int readStatus = 0;
  std::string text;
  while (batch.ReadEntry(&readStatus, &text)) entries.push_back(batch.Entry());
  if (status != nullptr) *status = readStatus;
  if (message != nullptr) *message = text;
  return entries;
}

std::string FormatErrorOf(const std::string& bytes) {
  int status = 0;
  std::string message;
  ReadAll(bytes, &status, &message);
  EXPECT_EQ(status, kBatchFormatError) << bytes;
  return message;
}

// "input,big,small,output;" for every entry.
std::string Describe(const std::vector<BatchEntry>& entries) {
  std::string text;
  for (const BatchEntry& e : entries)
    text += e.inputName + "," + std::to_string(e.bigCursor) + "," +
            std::to_string(e.smallCursor) + "," + e.outputName + ";";
  return text;
}

TEST(BatchFileTest, LineEndsAndLineCuts) {
  for (const char* bytes :
       {"a,31,11,b\nc,9,3,d\n", "a,31,11,b\r\nc,9,3,d\r\n", "a,31,11,b\nc,9,3,d"}) {
    int status = 0;
    EXPECT_EQ(Describe(ReadAll(bytes, &status)), "a,31,11,b;c,9,3,d;") << bytes;
    EXPECT_EQ(status, kBatchEnd);
  }
  // A line ends after 80 characters. Its line end then reads as an empty line,
  // which ends the file (a CR as the 80th character vanishes in trimming);
  // anything else starts the next line: an entry, or a comment.
  const std::string head = "a,31,11,", o72(72, 'o'), o71(71, 'o');
  const std::pair<std::string, std::string> cuts[] = {
      {head + o72 + "\nb,3,1,c\n", head + o72 + ";"},
      {head + o71 + "\r\nb,3,1,c\r\n", head + o71 + ";"},
      {head + o72 + "p,5,3,q\n", head + o72 + ";p,5,3,q;"},
      {head + o72 + ";p,5,3,q\nr,5,3,s", head + o72 + ";r,5,3,s;"}};
  for (const auto& [bytes, entries] : cuts) EXPECT_EQ(Describe(ReadAll(bytes)), entries);
}

TEST(BatchFileTest, BlankLinesCommentsAndFormatErrors) {
  EXPECT_EQ(ReadAll("a,3,1,b\n\nc,3,1,d\n").size(), 1u);
  int status = 0;
  EXPECT_EQ(ReadAll("a,3,1,b\r\n\r\nc,3,1,d\r\n", &status).size(), 1u);
  EXPECT_EQ(status, kBatchEnd);
  EXPECT_EQ(ReadAll(";x\n;y,1,1,z\na,3,1,b\n;z\n").size(), 1u);
  // Only a first-column ";" makes a comment; spaces make an entry line.
  EXPECT_EQ(FormatErrorOf(" ;comment\n"), "Big Cursor Format Error,' ;comment'");
  EXPECT_EQ(FormatErrorOf("   \r\n"), "Big Cursor Format Error,'   '");
  EXPECT_EQ(FormatErrorOf("in.jpg\n"), "Big Cursor Format Error,'in.jpg'");
  EXPECT_EQ(FormatErrorOf("in.jpg,31\n"), "Small Cursor Format Error,'in.jpg,31'");
  EXPECT_EQ(FormatErrorOf("in.jpg,31,11"), "Output Filename Format Error,'in.jpg,31,11'");
  EXPECT_EQ(FormatErrorOf("in.jpg,31,11,\n"), "Output Filename Format Error,'in.jpg,31,11,'");
  // Present but empty fields are no format error.
  ASSERT_EQ(ReadAll(",,, \n").size(), 1u);

  // After a format error the fields before the missing one are new, the rest old.
  CBatchFile batch;
  batch.OpenBytes("a,31,11,b\nc,7\n");
  std::string message;
  ASSERT_TRUE(batch.ReadEntry(&status, &message));
  EXPECT_FALSE(batch.ReadEntry(&status, &message));
  EXPECT_EQ(Describe({batch.Entry()}), "c,7,11,b;");
  EXPECT_EQ(batch.Line(), "c,7");
}

TEST(BatchFileTest, NumberFieldsAndWhiteSpace) {
  const std::pair<const char*, int32_t> cases[] = {
      {"31.9", 31}, {"abc", 0},          {" \t-7", -7},  {"+5x", 5},
      {"1 2", 1},   {"4294967297", 1},   {"2147483648", INT32_MIN}, {"", 0}};
  for (const auto& [field, value] : cases)
    EXPECT_EQ(Describe(ReadAll(std::string("a,") + field + ",1,b\n")),
              "a," + std::to_string(value) + ",1,b;") << field;
  // Names are trimmed; a fifth field and anything after it are ignored.
  EXPECT_EQ(Describe(ReadAll(" \tin put.jpg \t,  31 , 11 ,\tout.png \v,x,y\r\n")),
            "in put.jpg,31,11,out.png;");
}

class BatchValidateTest : public testutil::WorkingFolderTest {
 protected:
  void SetUp() override {
    WorkingFolderTest::SetUp();
    WriteText(input_, "image");
  }

  std::string Line(const std::string& cursors) { return input_ + "," + cursors + ",out.png"; }

  // The validation message of `bytes`, or "valid".
  std::string Validate(const std::string& bytes) {
    CBatchFile batch;
    batch.OpenBytes(bytes);
    std::string message;
    return batch.ValidateBatch(&message) ? "valid" : message;
  }

  std::string input_ = "in.jpg";
};

TEST_F(BatchValidateTest, CursorChecksInOrder) {
  EXPECT_EQ(Validate(Line("31,11") + "\r\n" + Line("65535,1") + "\n"), "valid");
  const std::pair<const char*, std::string> cases[] = {
      {"31,31", "Big Cursor must be larger than Small Cursor '31', '31'"},
      {"abc,1", "Big Cursor must be larger than Small Cursor '0', '1'"},
      {"30,11", "Cursor must be odd '30'"},
      {"31,10", "Cursor must be odd '10'"},
      {"31.5,-2", "Cursor must be odd '-2'"},
      {"65537,-1", "Cursor must be between 1 and 65535 '65537'"},
      {"3,-1", "Cursor must be between 1 and 65535 '-1'"}};
  for (const auto& [cursors, text] : cases)
    EXPECT_EQ(Validate(Line(cursors) + "\n"), text + "\n" + Line(cursors));
}

TEST_F(BatchValidateTest, InputFilesAndStoppingRules) {
  std::string line = " none.jpg ,31,11,out.png";
  EXPECT_EQ(Validate(line + "\r\n"), "Input File 'none.jpg' does not exist\n" + line);
  EXPECT_EQ(Validate(",31,11,out.png\n"), "Input File '' does not exist\n,31,11,out.png");
  EXPECT_EQ(Validate(Line("31,11") + "\n" + input_ + "\n"),
            "Big Cursor Format Error,'" + input_ + "'");
  // The first bad entry stops the pass; a blank line hides what follows it.
  EXPECT_EQ(Validate(Line("31,31") + "\n" + Line("30,1") + "\n").substr(0, 15), "Big Cursor must");
  EXPECT_EQ(Validate(Line("31,11") + "\n\n" + Line("30,1") + "\n"), "valid");
  EXPECT_EQ(Validate(";only\n;comments\n"), "valid");
  EXPECT_EQ(Validate(""), "valid");
}

}  // namespace
}  // namespace veska
