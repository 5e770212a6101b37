#include "e2e_runner.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

namespace e2e {

namespace {

std::string tool_command() {
  const char* t = std::getenv("DORVANE_TOOL");
  return t != nullptr ? t : "dorvane_oem_tool";
}

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string tag_for(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::snprintf(buf, sizeof buf, "_%02d%02d", tm.tm_mon + 1, tm.tm_mday);
  return buf;
}

}  // namespace

const char* const k_not_modified = "[WARN] File has not been modified.\n";

std::string renamed_line(const std::string& name) {
  return "[SUCCESS] File has been modified, renamed to " + name + "\n";
}

scratch::scratch() {
  char templ[] = "/tmp/dorvane_e2e_XXXXXX";
  const char* d = mkdtemp(templ);
  dir_ = d != nullptr ? d : "/tmp";
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
  const std::string cmd =
      "cd '" + dir_ + "' && " + tool_command() + " " + args + " < .e2e_in > .e2e_out 2> .e2e_err";
  const int rc = std::system(cmd.c_str());
  result r{slurp(path(".e2e_out")), slurp(path(".e2e_err"))};
  if (rc != 0) r.err += "\n(exit status " + std::to_string(rc) + ")";
  return r;
}

bool under_wine() { return tool_command().find("wine") != std::string::npos; }

std::string today_tag() { return tag_for(std::time(nullptr)); }

std::string oem_name(const std::string& base) { return base + "_oem" + today_tag() + ".img"; }

std::string find_oem_image(const scratch& s, const std::string& base) {
  const std::time_t now = std::time(nullptr);
  for (std::time_t t : {now, now - 86400}) {
    const std::string n = base + "_oem" + tag_for(t) + ".img";
    if (s.exists(n)) return n;
  }
  return "";
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
