#include "cli/options.h"

#include <cstring>

#include "base/console.h"
#include "cli/cmd_table.h"

namespace {

constexpr int k_version_major = DORVANE_VERSION_MAJOR;
constexpr int k_version_minor = DORVANE_VERSION_MINOR;
constexpr int k_version_patch = DORVANE_VERSION_PATCH;

const char* const k_help_lines[] = {
    "Please read User Manual carefully before configuring!",
    "OEM tool basic options:",
    "    -F                   To select an Image File",
    "    --version            To check the version of tool",
    "    --help               To get detail information of tool",
    "LED/PHY config options:",
    "    -I                   To set inner phy LED",
    "    -Y                   To set yt8521s/yt8531s phy configuration",
    "    -M                   To set marvell 88e1512 phy configuration",
    "    -E                   To set external phy configuration",
    "    -P                   To set marvell 88e1512 phy mode",
    "    -X                   To set marvell 88x3310 phy LED",
    "Other config options:",
    "    -G                   To set GPIO input/ouput",
    "    -S                   To enable/disable SMBUS arp(configure SMBUS address is optional)",
    "    -L                   To enable/disable LLDP tx",
    "    -W                   To set WOL wake io pull down time",
    "    -N                   To enable/disable network port",
    "    -D                   To set port mode",
    "    -C                   To check current configuration",
};

const char* const k_usage_lines[] = {
    "\nUsage: ./dorvane_oem_tool -F [<image_path>] [<config_options>]",
    "       ./dorvane_oem_tool --version",
    "       ./dorvane_oem_tool --help",
};

void report_unknown(const char* arg) {
  con_printf("ERROR: There are unknown options %s in command line!\n", arg);
}

}  // namespace

arg_kind parse_cmd(const char* arg) {
  if (arg == nullptr) return arg_kind::unknown;
  if (std::strcmp(arg, "--version") == 0) return arg_kind::version;
  if (std::strcmp(arg, "--help") == 0) return arg_kind::help;
  if (std::strcmp(arg, "-F") == 0) return arg_kind::file;
  report_unknown(arg);
  return arg_kind::unknown;
}

std::optional<int> parse_cmd2(const char* arg) {
  if (arg == nullptr || arg[0] == '\0' || arg[1] == '\0') return std::nullopt;
  const std::optional<int> slot = find_slot(arg[1]);
  if (slot) return slot;
  report_unknown(arg);
  return std::nullopt;
}

void usage_display() {
  for (const char* line : k_usage_lines) con_printf("%s\n", line);
}

void option_display() {
  for (const char* line : k_help_lines) con_printf("%s\n", line);
  usage_display();
}

void version_display() {
  con_printf("dorvane_oem_tool  version : %d.%d.%d\n", k_version_major, k_version_minor,
             k_version_patch);
}
