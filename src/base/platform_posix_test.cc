// The POSIX side of the platform seam, on the real system, in a scratch
// folder of this process.
#include "base/platform_posix.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/platform.h"

namespace {

namespace fs = std::filesystem;

const fs::path k_dir = fs::temp_directory_path() / ("dorvane_platform_" + std::to_string(getpid()));

// The scratch folder holding the files given, by name and text, and no other.
void scratch_holds(std::initializer_list<std::pair<const char*, const char*>> files) {
  fs::remove_all(k_dir);
  fs::create_directory(k_dir);
  for (const auto& [name, text] : files) std::ofstream(k_dir / name) << text;
}

// The standard error stream closed at the start leaves descriptor 2 free;
// the image never takes it. (The end-to-end rows close the other two.)
TEST(Platform, ImageNeverTakesAClosedStandardStream) {
  scratch_holds({{"board.img", "image"}});
  const int saved = dup(STDERR_FILENO);
  close(STDERR_FILENO);
  const plat::open_result r = plat::open_for_update(k_dir / "board.img");
  dup2(saved, STDERR_FILENO);
  close(saved);
  EXPECT_EQ(r.status, plat::open_status::ok);
  EXPECT_GT(r.fd, STDERR_FILENO);
  close(r.fd);
}

// The file's text, or "-" when there is none.
std::string text_of(const char* name) {
  std::ifstream f(k_dir / name);
  return f ? std::string(std::istreambuf_iterator<char>(f), {}) : "-";
}

int g_fail_with = 0;
int failing_rename2(const char* /*from*/, const char* /*to*/) { return errno = g_fail_with, -1; }

// Where the file system does not know the no-replace flag, a link and an
// unlink rename, and never replace a file; any other failure is the answer.
TEST(Platform, RenameWithoutTheFlagNeverReplacesAFile) {
  struct {
    int fail_with;
    const char *taken, *files_after, *why;  // the old name's text and the new one's, "-" for none
  } const rows[] = {{EINVAL, "", "-image", ""},
                    {EOPNOTSUPP, "", "-image", ""},
                    {ENOSYS, "other", "imageother", "File exists"},
                    {EACCES, "", "image-", "Permission denied"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.fail_with);
    scratch_holds({{"board.img", "image"}});
    if (*r.taken != '\0') std::ofstream(k_dir / "new.img") << r.taken;
    std::string why;
    g_fail_with = r.fail_with;
    EXPECT_EQ(plat::posix::rename_no_replace_with(failing_rename2, k_dir / "board.img",
                                                  k_dir / "new.img", &why),
              *r.why == '\0');
    EXPECT_EQ(why, r.why);
    EXPECT_EQ(text_of("board.img") + text_of("new.img"), r.files_after);
  }
}

// The folder of a renamed image is flushed; a missing one is named as the
// reason. No descriptor is left open.
TEST(Platform, SyncFolderFlushesTheFolderOfThePath) {
  scratch_holds({});
  const fs::path fds("/proc/self/fd");
  const auto open_before = std::distance(fs::directory_iterator(fds), {});
  std::string why;
  EXPECT_TRUE(plat::sync_folder_of(k_dir / "a.img", &why));
  EXPECT_FALSE(plat::sync_folder_of(k_dir / "missing/a.img", &why));
  EXPECT_EQ(why, "No such file or directory");
  EXPECT_EQ(std::distance(fs::directory_iterator(fds), {}), open_before);
  fs::remove_all(k_dir);
}

}  // namespace
