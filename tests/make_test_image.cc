// Writes a test image: make_test_image OUT [--device HEX] [--phy HEX]
// [--ports N] [--wol] [--ssid HEX] [--mask HEX] [--header HEX]
// [--word OFF=VAL] [--no-variants]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image_builder.h"

namespace {

std::uint32_t hex(const char* s) {
  return static_cast<std::uint32_t>(std::strtoul(s, nullptr, 16));
}

int usage() {
  std::fprintf(
      stderr,
      "usage: make_test_image OUT [--device HEX] [--phy HEX] [--ports N] [--wol]\n"
      "       [--ssid HEX] [--mask HEX] [--header HEX] [--word OFF=VAL] [--no-variants]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return usage();
  testimg::recipe r;
  std::uint32_t device = 0x0110;
  std::uint32_t phy = 0x00;
  unsigned ports = 4;
  bool wol = false;
  bool have_ssid = false;
  bool have_mask = false;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    if (a == "--wol") {
      wol = true;
    } else if (a == "--no-variants") {
      r.variant_blocks = false;
    } else if (v == nullptr) {
      return usage();
    } else if (a == "--device") {
      device = hex(v), ++i;
    } else if (a == "--phy") {
      phy = hex(v), ++i;
    } else if (a == "--ports") {
      ports = static_cast<unsigned>(std::atoi(v)), ++i;
    } else if (a == "--ssid") {
      r.sub_sys_id = hex(v), have_ssid = true, ++i;
    } else if (a == "--mask") {
      r.port_mask = hex(v), have_mask = true, ++i;
    } else if (a == "--header") {
      r.oem_header = hex(v), ++i;
    } else if (a == "--word" && std::strchr(v, '=') != nullptr) {
      r.words[hex(v)] = hex(std::strchr(v, '=') + 1), ++i;
    } else {
      return usage();
    }
  }
  if (!have_ssid) {
    r.sub_sys_id = testimg::sub_sys_id(static_cast<std::uint16_t>(device),
                                       static_cast<std::uint8_t>(phy), ports, wol);
  }
  if (!have_mask) r.port_mask = testimg::port_mask_for(ports > 4 ? 4 : ports);
  if (!testimg::write_file(argv[1], testimg::build(r))) {
    std::fprintf(stderr, "make_test_image: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
