// A fresh folder per test, and runs of the built `veska` program as a user
// would start it: in a chosen folder, with stdin from /dev/null and stdout and
// stderr captured; a test fixture that writes its input images there.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "image/aimage.h"
#include "image/image_file.h"

extern char** environ;

namespace veska::testutil {

struct CliRun {
  int exitCode = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;  // empty when merged into out
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// An empty folder for the running test: VESKA_TEST_TMP/<suite>/<test name>.
inline std::filesystem::path FreshTestFolder(const std::string& suite) {
  std::filesystem::path folder = std::filesystem::path(VESKA_TEST_TMP) / suite /
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

// Runs `program` with `args` in `folder`. With `merged`, stderr goes to the
// same file as stdout, so that the order of their lines can be checked.
inline CliRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& folder, bool merged = false) {
  const std::filesystem::path outPath = folder.string() + ".stdout";
  const std::filesystem::path errPath = folder.string() + ".stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  if (merged)
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  else
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::vector<std::string> words = {program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  CliRun run;
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  run.out = ReadWholeFile(outPath);
  if (!merged) run.err = ReadWholeFile(errPath);
  return run;
}

// Runs of `veska` in a fresh folder named after the test suite and test.
class CliFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTestFolder(
        ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name());
  }
  CliRun Veska(const std::vector<std::string>& args, bool merged = false) {
    return RunProgram(VESKA_CLI, args, dir_, merged);
  }
  std::filesystem::path At(const std::string& name) const { return dir_ / name; }
  void WriteText(const std::string& name, const std::string& text) {
    std::ofstream(At(name), std::ios::binary) << text;
  }
  void Write(const std::string& name, const std::unique_ptr<AImage>& image) {
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(Save(*image, At(name).string()), 0) << name;
  }
  // The image a file loads as; not Loaded() (and a failure noted) when it does not load.
  std::unique_ptr<AImage> Loaded(const std::string& name) {
    auto image = std::make_unique<AImage>();
    EXPECT_EQ(Load(*image, At(name).string()), 0) << name;
    return image;
  }

  std::filesystem::path dir_;
};

// The same with the fresh folder as the working folder, as a batch run has
// it: batch lines hold at most 80 characters, so their files are named
// relative to it, and the tests pass wherever the checkout lives.
class WorkingFolderTest : public CliFolderTest {
 protected:
  void SetUp() override {
    CliFolderTest::SetUp();
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override { std::filesystem::current_path(home_); }

  std::filesystem::path home_;
};

}  // namespace veska::testutil
