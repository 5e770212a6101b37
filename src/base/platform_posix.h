// What the tests of the POSIX side of the platform seam reach beyond
// platform.h.
#pragma once

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "base/platform.h"

namespace plat::posix {

// The system calls under test, or stand-ins for them, by their shape; each
// gives 0, or -1 with errno.
using path_stat_fn = int (*)(const char* path, struct stat* st);  // stat
using fd_op_fn = int (*)(int fd, int operation);                  // flock
using two_paths_fn = int (*)(const char* from, const char* to);   // renameat2, link
using path_fn = int (*)(const char* path);                        // unlink
using fd_fn = int (*)(int fd);                                    // fsync
using path_open_fn = int (*)(const char* path, int flags, ...);   // open

// open_image with the given calls for its first look at what the path names
// and for opening it.
open_result open_image_with(path_stat_fn look, const std::string& path, open_mode mode,
                            path_open_fn open = ::open);

// What holding the image gave: ok with the file that keeps the hold (none
// where the file system has no locks), or why not.
struct held {
  open_status status;
  file hold;
};

// Locks the image open at `fd` (as `opened` describes it) for this run, alone
// when it changes the image (`mode`); in_use when another run holds the
// image, or renamed it away from `path` meanwhile.
held hold_image(int fd, const struct stat& opened, const std::string& path, open_mode mode,
                fd_op_fn lock = ::flock);

// rename_no_replace with the given calls. Where the file system does not
// know the flag, a hard link and an unlink do the same; where it has no hard
// links either, a check and a plain rename under a lock on the folder.
// Where it refuses to rename an open file, the hold is closed first, under
// that lock.
outcome rename_no_replace_with(two_paths_fn rename2, const std::string& from, const std::string& to,
                               file& hold, two_paths_fn link = ::link, fd_op_fn lock = ::flock,
                               path_fn unlink = ::unlink);

// sync_folder_of with the given call.
outcome sync_folder_with(fd_fn sync, const std::string& path);

}  // namespace plat::posix
