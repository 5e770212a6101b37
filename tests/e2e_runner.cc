#include "e2e_runner.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

namespace e2e {

namespace {

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// A run that loops on its input is stopped instead of hanging the suite or
// filling the disk.
const std::string k_timeout_seconds = "120";
const std::string k_max_output_blocks = "100000";

std::string tag_for(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::snprintf(buf, sizeof buf, "_%02d%02d", tm.tm_mon + 1, tm.tm_mday);
  return buf;
}

}  // namespace

std::string tool_command() {
  const char* t = std::getenv("DORVANE_TOOL");
  return t != nullptr ? t : "dorvane_oem_tool";
}

const char* const k_not_modified = "[WARN] File has not been modified.\n";

std::string renamed_line(const std::string& name) {
  return "[SUCCESS] File has been modified, renamed to " + name + "\n";
}

scratch::scratch() {
  char templ[] = "/tmp/dorvane_e2e_XXXXXX";
  const char* d = mkdtemp(templ);
  if (d == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  dir_ = d;
}

scratch::~scratch() {
  const std::string cmd = "rm -rf '" + dir_ + "'";
  if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "cannot remove %s\n", dir_.c_str());
}

std::vector<std::uint8_t> scratch::put_image(const std::string& name,
                                             const testimg::recipe& r) const {
  std::vector<std::uint8_t> bytes = testimg::build(r);
  testimg::write_file(path(name), bytes);
  return bytes;
}

bool scratch::exists(const std::string& name) const {
  return access(path(name).c_str(), F_OK) == 0;
}

std::vector<std::uint8_t> scratch::image(const std::string& name) const {
  return testimg::read_file(path(name));
}

std::vector<std::string> scratch::files() const {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir_.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != ".." && n.rfind(".e2e_", 0) != 0) names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

result scratch::run(const std::string& args, const std::string& input) const {
  {
    std::ofstream in(path(".e2e_in"), std::ios::binary);
    in << input;
  }
  const std::string cmd = "cd '" + dir_ + "' && ulimit -f " + k_max_output_blocks + " && timeout " +
                          k_timeout_seconds + " env " + tool_command() + " " + args +
                          " < .e2e_in > .e2e_out 2> .e2e_err";
  const int rc = std::system(cmd.c_str());
  result r{slurp(path(".e2e_out")), slurp(path(".e2e_err"))};
  if (rc != 0) r.err += "\n(exit status " + std::to_string(rc) + ")";
  return r;
}

bool under_wine() { return tool_command().find("wine") != std::string::npos; }

std::string oem_name(const std::string& base) {
  return base + "_oem" + tag_for(std::time(nullptr)) + ".img";
}

std::string find_oem_image(const scratch& s, const std::string& base) {
  const std::time_t now = std::time(nullptr);
  for (std::time_t t : {now, now - 86400}) {
    const std::string n = base + "_oem" + tag_for(t) + ".img";
    if (s.exists(n)) return n;
  }
  return "";
}

std::string first_difference(const std::vector<std::uint8_t>& got,
                             const std::vector<std::uint8_t>& want) {
  if (got.size() != want.size()) return "image size " + std::to_string(got.size());
  for (std::uint32_t off = 0; off + 4 <= want.size(); off += 4) {
    const std::uint32_t g = testimg::word_at(got, off);
    const std::uint32_t w = testimg::word_at(want, off);
    if (g != w) {
      char buf[80];
      std::snprintf(buf, sizeof buf, "word 0x%x is 0x%08x, expected 0x%08x", off, g, w);
      return buf;
    }
  }
  return "";
}

void expect_configured(const testimg::recipe& image, const std::string& option,
                       const std::string& input, const std::string& transcript,
                       const word_map& changed) {
  scratch s;
  std::vector<std::uint8_t> want = s.put_image("board.img", image);
  const result r = s.run("-F board.img " + option, input);
  const std::string renamed = find_oem_image(s, "board");
  ASSERT_NE(renamed, "") << r.out << r.err;
  EXPECT_EQ(r.out, transcript + renamed_line(renamed) + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(s.files(), std::vector<std::string>{renamed});
  for (const auto& [off, value] : changed) testimg::put_word(&want, off, value);
  EXPECT_EQ(first_difference(s.image(renamed), want), "");
}

void expect_untouched(const testimg::recipe& image, const std::string& option,
                      const std::string& input, const std::string& transcript) {
  scratch s;
  const std::vector<std::uint8_t> before = s.put_image("board.img", image);
  const result r = s.run("-F board.img " + option, input);
  EXPECT_EQ(r.out, transcript + k_not_modified + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(s.files(), std::vector<std::string>{"board.img"});
  EXPECT_EQ(first_difference(s.image("board.img"), before), "");
}

std::string listing(std::uint32_t header, std::uint32_t lldp, std::uint32_t mask,
                    std::uint32_t rest) {
  char buf[64];
  std::string s = "\nConfiguration List:\n";
  for (std::uint32_t off = 0xFF000; off <= 0xFF024; off += 4) {
    std::snprintf(buf, sizeof buf, "0x%x : 0x%x\n", off, off == 0xFF000 ? header : rest);
    s += buf;
  }
  std::snprintf(buf, sizeof buf, "0xf1000 : 0x%x\n0x16c : 0x%x\n", lldp, mask);
  return s + buf;
}

testimg::recipe qm_image(std::uint8_t phy, unsigned ports, bool wol) {
  testimg::recipe r;
  r.sub_sys_id = testimg::sub_sys_id(0x0110, phy, ports, wol);
  r.port_mask = testimg::port_mask_for(ports > 4 || ports == 0 ? 4 : ports);
  return r;
}

testimg::recipe zt_image(std::uint8_t phy, std::uint16_t device) {
  testimg::recipe r;
  r.sub_sys_id = testimg::sub_sys_id(device, phy, 2, false);
  return r;
}

}  // namespace e2e
