// The POSIX side of the platform seam, on the real system.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/platform.h"

namespace {

// A standard stream closed at the start leaves its descriptor free; the
// image never takes it.
TEST(OpenForUpdate, LeavesAClosedStandardStreamAlone) {
  char path[] = "/tmp/dorvane_platform_XXXXXX";
  const int file = mkstemp(path);
  ASSERT_TRUE(file >= 0 && close(file) == 0);
  for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
    const int saved = fcntl(stream, F_DUPFD_CLOEXEC, 10);
    ASSERT_GE(saved, 0);
    close(stream);
    const plat::open_result r = plat::open_for_update(path);
    const bool stream_still_closed = fcntl(stream, F_GETFD) == -1;
    dup2(saved, stream);
    close(saved);
    EXPECT_EQ(r.status, plat::open_status::ok) << stream;
    EXPECT_GT(r.fd, STDERR_FILENO) << stream;
    EXPECT_TRUE(stream_still_closed) << stream;
    if (r.fd >= 0) close(r.fd);
  }
  std::remove(path);
}

}  // namespace
