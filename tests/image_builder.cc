#include "image_builder.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace testimg {

std::uint32_t word_at(const std::vector<std::uint8_t>& img, std::uint32_t off) {
  std::uint32_t w = 0;
  for (unsigned i = 0; i < 4; ++i) w |= static_cast<std::uint32_t>(img.at(off + i)) << (8 * i);
  return w;
}

void put_word(std::vector<std::uint8_t>* img, std::uint32_t off, std::uint32_t value) {
  for (unsigned i = 0; i < 4; ++i) img->at(off + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

bool build(const std::string& recipe, std::vector<std::uint8_t>* img, std::string* bad) {
  // Named values; -1 where the default follows from the others.
  std::map<std::string, std::int64_t> v = {{"phy", 0},        {"ports", 4}, {"ssid", -1},
                                           {"mask", -1},      {"hdr", -1},  {"block", -1},
                                           {"size", 0x100000}};
  std::uint32_t device = 0x0110, wol = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> words;
  std::istringstream tokens(recipe);
  for (std::string t; tokens >> t;) {
    const std::size_t eq = t.find('=');
    const std::string key = t.substr(0, eq);
    try {
      if (t == "qm" || t == "zt" || t == "zt2") {
        device = t == "qm" ? 0x0110 : t == "zt" ? 0x1001 : 0x2001;
      } else if (t == "wol") {
        wol = 0x40;
      } else if (v.count(key) != 0 && eq != std::string::npos) {
        v[key] = std::stoll(t.substr(eq + 1), nullptr, key == "ports" ? 10 : 16);
      } else {
        words.emplace_back(std::stoul(key, nullptr, 16), std::stoul(t.substr(eq + 1), nullptr, 16));
      }
    } catch (const std::exception&) {
      if (bad != nullptr) *bad = t;
      return false;
    }
  }
  const auto ports = static_cast<std::uint32_t>(v["ports"]);
  const auto mask_for = [](std::uint32_t n) { return (1U << (n >= 1 && n <= 4 ? n : 4)) - 1U; };
  img->assign(0x100000, 0xFF);
  put_word(img, 0, 0x5AA51000);
  put_word(img, 0x16C, v["mask"] >= 0 ? static_cast<std::uint32_t>(v["mask"]) : mask_for(ports));
  for (std::uint32_t left = 1; left <= 4; ++left) {
    const std::uint32_t at = 0xFD000 + (4 - left) * 0x400;
    for (std::uint32_t i = 1; i < 0x100; ++i)
      put_word(img, at + 4 * i, 0xA0000000U | left << 24 | i * 0x10101U);
    put_word(img, at, 0x5AA51000);
    put_word(img, at + 0x16C, mask_for(left));
  }
  const std::uint32_t ssid = (device & 0xFFU) << 24 | (device >> 8) << 16 |
                             static_cast<std::uint32_t>(v["phy"]) << 8 | wol | (ports & 7U);
  put_word(img, 0xFFFDC, v["ssid"] >= 0 ? static_cast<std::uint32_t>(v["ssid"]) : ssid);
  put_word(img, 0xFF000, static_cast<std::uint32_t>(v["hdr"]));
  for (const auto& [off, value] : words) put_word(img, off, value);
  if (v["block"] >= 0) std::copy_n(img->data() + v["block"], 0x400, img->begin());
  img->resize(static_cast<std::size_t>(v["size"]), 0);
  return true;
}

}  // namespace testimg
