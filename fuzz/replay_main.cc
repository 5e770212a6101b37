// Runs a fuzz target's checks once over given inputs, without libFuzzer: each
// argument is a file or a directory of files (a corpus). It lets every build,
// whatever its compiler, run the harness and its properties over the seed
// corpus as an ordinary test.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void run_file(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(f),
                                std::istreambuf_iterator<char>()};
  std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(data.data(), data.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t runs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (!entry.is_regular_file()) continue;
        run_file(entry.path());
        ++runs;
      }
    } else {
      run_file(arg);
      ++runs;
    }
  }
  std::printf("%zu inputs run\n", runs);
  return runs == 0 ? 1 : 0;
}
