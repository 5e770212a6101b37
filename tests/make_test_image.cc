// Writes a test image: make_test_image OUT [RECIPE TOKEN...] (see image_builder.h).
#include <cstdio>
#include <fstream>
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
  std::ofstream out(argv[1], std::ios::binary);
  if (!out.write(reinterpret_cast<const char*>(img.data()),
                 static_cast<std::streamsize>(img.size()))) {
    std::fprintf(stderr, "make_test_image: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
