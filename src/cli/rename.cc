#include "cli/rename.h"

#include <cstdint>

#include "base/console.h"
#include "base/platform.h"
#include "base/utf16.h"

namespace oem_name {

std::string date_tag(int month, int day) {
  const auto two_digits = [](int v) {
    return std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
  };
  return "_" + two_digits(month) + two_digits(day);
}

namespace {

std::size_t file_name_start(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (plat::is_path_separator(path[i - 1])) return i;
  }
  return 0;
}

// End of the base: the first "_oem" of the file-name part, else its first
// ".img", else the end of the path.
std::size_t base_end(const std::string& path, std::size_t start) {
  std::size_t at = path.find("_oem", start);
  if (at == std::string::npos) at = path.find(".img", start);
  return at == std::string::npos ? path.size() : at;
}

}  // namespace

std::optional<std::string> build(const std::string& path, const std::string& tag,
                                 std::string* why) {
  const std::size_t start = file_name_start(path);
  const std::string base = path.substr(start, base_end(path, start) - start);
  // Lengths as the file system counts them: bytes, or UTF-16 units on Windows.
  const bool utf16 = plat::utf16_names();
  std::size_t units = 0;
  text::prefix_within(base, SIZE_MAX, utf16, &units);
  if (units > k_max_base) {
    *why = "the name before \"_oem\" or \".img\" is longer than " + std::to_string(k_max_base) +
           " characters";
    return std::nullopt;
  }
  std::string name = base + "_oem" + tag + ".img";
  name.resize(text::prefix_within(name, k_max_name, utf16));
  // Windows drops a dot at the end of a name, so none is left there on any
  // system, and the name reported is the name the file gets. Only a name cut
  // short can end in one.
  while (!name.empty() && name.back() == '.') name.pop_back();
  if (name.empty()) {
    *why =
        "the new name, cut to " + std::to_string(k_max_name) + " characters, is nothing but dots";
    return std::nullopt;
  }
  return path.substr(0, start) + name;
}

}  // namespace oem_name

void rename_file(const std::string& path, bool modified, plat::file& hold) {
  if (!modified) {
    con_printf("[WARN] File has not been modified.\n");
    return;
  }
  const plat::month_day today = plat::local_month_day();
  std::string why;
  const std::optional<std::string> name =
      oem_name::build(path, oem_name::date_tag(today.month, today.day), &why);
  if (!name) {
    con_errorf("[ERROR] Error renaming file: %s\n", why.c_str());
    return;
  }
  // Renamed earlier today: the image already carries its new name.
  if (*name != path) {
    const plat::outcome renamed = plat::rename_no_replace(path, *name, hold);
    if (!renamed.ok) {
      con_errorf("[ERROR] Error renaming file: %s\n", renamed.why.c_str());
      return;
    }
    // Until its folder is on the disk, a power cut can bring the old name back.
    const plat::outcome lasting = plat::sync_folder_of(*name);
    if (!lasting.ok) {
      con_errorf("[ERROR] Fail to save image %s: %s\n", name->c_str(), lasting.why.c_str());
      return;
    }
  }
  con_printf("[SUCCESS] File has been modified, renamed to %s\n", name->c_str());
}
