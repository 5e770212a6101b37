// What the tests of the POSIX side of the platform seam reach beyond
// platform.h.
#pragma once

#include <string>

namespace plat::posix {

// renameat2 with RENAME_NOREPLACE, or a stand-in for it: 0, or -1 with errno.
using rename2_fn = int (*)(const char* from, const char* to);

// rename_no_replace with the given call. Where the file system does not
// know the flag, a hard link and an unlink do the same.
bool rename_no_replace_with(rename2_fn rename2, const std::string& from, const std::string& to,
                            std::string* why);

}  // namespace plat::posix
