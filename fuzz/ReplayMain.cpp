// Runs a fuzz target over every file of the folders (or files) named on the command
// line, so that the corpus is replayed as an ordinary test when libFuzzer is not built.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 1;
}

int main(int argc, char** argv) {
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path root(argv[i]);
    if (std::filesystem::is_directory(root)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file()) count += RunFile(entry.path());
    } else if (std::filesystem::exists(root)) {
      count += RunFile(root);
    } else {
      std::fprintf(stderr, "no such corpus: %s\n", argv[i]);
      return 1;
    }
  }
  std::printf("replayed %d inputs\n", count);
  return 0;
}
