// Writes a test image: make_test_image OUT [RECIPE TOKEN...] (see image_builder.h).
#include <cstdio>
#include <string>

#include "image_builder.h"

int main(int argc, char** argv) {
  std::string recipe, bad;
  for (int i = 2; i < argc; ++i) recipe += std::string(argv[i]) + " ";
  std::vector<std::uint8_t> img;
  if (argc < 2 || !testimg::build(recipe, &img, &bad)) {
    std::fprintf(stderr, "usage: make_test_image OUT [RECIPE TOKEN...]; not understood: %s\n",
                 bad.c_str());
    return 2;
  }
  std::FILE* f = std::fopen(argv[1], "wb");
  const bool ok = f != nullptr && std::fwrite(img.data(), 1, img.size(), f) == img.size();
  if (f == nullptr || std::fclose(f) != 0 || !ok) {
    std::fprintf(stderr, "make_test_image: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
