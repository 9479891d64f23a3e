#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/CoreDumps.h"

// In a child, so the test program itself stays as it was.
TEST(CoreDumps, OffAndNotDumpableAfterTheCall) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        struct rlimit limit {};
        const bool ok = keymora::disableCoreDumps() && ::prctl(PR_GET_DUMPABLE) == 0 &&
                        ::getrlimit(RLIMIT_CORE, &limit) == 0 && limit.rlim_cur == 0 &&
                        limit.rlim_max == 0;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
