// Renaming a changed image so that its name carries "_oem" and the date.
#pragma once

#include <optional>
#include <string>

#include "base/platform.h"

namespace oem_name {

// The limits apply to the file-name part, in the units in which the file
// system counts a name; the folders before it are kept as typed.
// Longest base name that is kept; a longer one is refused.
constexpr std::size_t k_max_base = 255;
// Longest new file name; a longer one is cut after a whole character, and
// without a dot at its end.
constexpr std::size_t k_max_name = 255;

// The date tag "_MMDD".
std::string date_tag(int month, int day);

// The new name for `path` with the date tag: the folders of the path, then
// the base (the file-name part up to its first "_oem", else its first
// ".img"), "_oem", the tag and ".img". Nothing, with the reason in *why, when
// the base is longer than k_max_base or the cut name would be left empty.
std::optional<std::string> build(const std::string& path, const std::string& tag, std::string* why);

}  // namespace oem_name

// Renames a changed image, or reports that it was left as it was; `hold`
// keeps other runs out meanwhile (plat::rename_no_replace).
void rename_file(const std::string& path, bool modified, plat::file& hold);
