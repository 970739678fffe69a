// A process that forbids core dumps leaves no core limit and is not dumpable.
// It runs in a child, so the test process itself stays as it was.
#include "platform/core_dumps.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(CoreDumps, ForbiddenInTheProcessThatAsks) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit limit{};
    const bool forbidden = platform::ForbidCoreDumps() && ::getrlimit(RLIMIT_CORE, &limit) == 0 &&
                           limit.rlim_cur == 0 && limit.rlim_max == 0 && ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0;
    ::_exit(forbidden ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 1) << "the test process is left as it was";
}

}  // namespace
