// What the tests of the POSIX side of the platform seam reach beyond
// platform.h.
#pragma once

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "base/platform.h"

namespace plat::posix {

// stat, or a stand-in for it: 0, or -1 with errno.
using stat_fn = int (*)(const char* path, struct stat* st);

// open_image with the given call for its first look at what the path names.
open_result open_image_with(stat_fn look, const std::string& path, open_mode mode);

// flock, or a stand-in for it: 0, or -1 with errno.
using lock_fn = int (*)(int fd, int operation);

// Locks the image open at `fd` (as `opened` describes it) for this run, alone
// when it changes the image (`mode`), and leaves in *hold the descriptor that
// keeps the lock; in_use when another run holds the image, or renamed it away
// from `path` meanwhile.
open_status hold_image(int fd, const struct stat& opened, const std::string& path, open_mode mode,
                       int* hold, lock_fn lock = ::flock);

// renameat2 with RENAME_NOREPLACE, or a stand-in for it: 0, or -1 with errno.
using rename2_fn = int (*)(const char* from, const char* to);

// unlink, or a stand-in for it: 0, or -1 with errno.
using unlink_fn = int (*)(const char* path);

// rename_no_replace with the given calls (link takes the form of rename2).
// Where the file system does not know the flag, a hard link and an unlink do
// the same; where it has no hard links either, a check and a plain rename
// under a lock on the folder.
bool rename_no_replace_with(rename2_fn rename2, const std::string& from, const std::string& to,
                            std::string* why, rename2_fn link = ::link, lock_fn lock = ::flock,
                            unlink_fn unlink = ::unlink);

// fsync, or a stand-in for it: 0, or -1 with errno.
using sync_fn = int (*)(int fd);

// sync_folder_of with the given call.
bool sync_folder_with(sync_fn sync, const std::string& path, std::string* why);

}  // namespace plat::posix
