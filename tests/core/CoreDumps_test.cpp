#include "core/CoreDumps.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace brennic {
namespace {

// Crashes a child with core dumps allowed as far as the limits go, in a folder of its own;
// returns whether the kernel wrote a core for it.
bool ChildCrashDumpsCore(bool protect) {
    std::string folder = (std::filesystem::temp_directory_path() / "brennic-core-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        return false;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        rlimit limit{};
        ::getrlimit(RLIMIT_CORE, &limit);
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_CORE, &limit);
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(1);
        }
        ::unsetenv("BRENNIC_CORE_DUMPS");
        if (protect && !KeepSecretsOutOfCoreDumps()) {
            ::_exit(2);
        }
        ::signal(SIGABRT, SIG_DFL);
        std::abort();
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return WIFSIGNALED(status) && WCOREDUMP(status);
}

// A crash must not leave the FTP password in a core file.
TEST(CoreDumps, ACrashLeavesNoCore) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers manage core dumps themselves (and their dumps are huge)";
#endif
    if (!ChildCrashDumpsCore(false)) {
        GTEST_SKIP() << "this machine writes no core files anyway";
    }
    EXPECT_FALSE(ChildCrashDumpsCore(true));
}

}  // namespace
}  // namespace brennic
