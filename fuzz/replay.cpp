// Stands in for libFuzzer in the ordinary build: runs a fuzz target's entry
// point once on every file of the folders named on the command line, so that
// the seed inputs and every input saved from an earlier crash run as a test
// case. A target that misbehaves on an input aborts (a failed property, or a
// sanitizer's report), which fails the case.
//
//   fuzz_replay_<target> [--suffix=.ext] folder...
//
// --suffix limits the folders after it to files whose names end with .ext
// (--suffix= lifts the limit). A folder that does not exist holds nothing;
// replaying nothing at all is a failure, since it would prove nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool EndsWith(const std::string& name, const std::string& suffix) {
  return name.size() >= suffix.size() &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string suffix;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--suffix=", 0) == 0) {
      suffix = arg.substr(9);
      continue;
    }
    std::error_code ec;
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(arg, ec))
      if (entry.is_regular_file() && EndsWith(entry.path().filename().string(), suffix))
        found.push_back(entry.path());
    std::sort(found.begin(), found.end());  // the same order on every run
    inputs.insert(inputs.end(), found.begin(), found.end());
  }
  for (const fs::path& path : inputs) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    std::printf("replaying %s (%zu bytes)\n", path.c_str(), bytes.size());
    std::fflush(stdout);  // names the input if the target aborts
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("replayed %zu inputs\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}
