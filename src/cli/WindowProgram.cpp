#include "cli/WindowProgram.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace brennic {

std::string FindWindowProgram(const std::string& frontPath) {
    const std::filesystem::path folder = std::filesystem::path(frontPath).parent_path();
    for (const std::filesystem::path& candidate :
         {folder / kWindowProgramName,
          folder / ".." / "libexec" / "brennic" / kWindowProgramName}) {
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate.lexically_normal().string();
        }
    }
    return {};
}

int StartWindowProgram(const std::string& frontPath, char** argv) {
    const std::string program = FindWindowProgram(frontPath);
    if (program.empty()) {
        std::fprintf(stderr, "%s: the window program %s is not installed beside %s\n", argv[0],
                     kWindowProgramName, frontPath.c_str());
        return 127;
    }
    ::setenv(kFrontPathVariable, frontPath.c_str(), 1);
    ::execv(program.c_str(), argv);
    const int error = errno;
    std::fprintf(stderr, "%s: cannot start %s: %s\n", argv[0], program.c_str(),
                 std::strerror(error));
    return 127;
}

std::string ExecutablePath(const char* argv0) {
    std::error_code ec;
    std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec) {
        exe = std::filesystem::absolute(argv0, ec).string();
    }
    return exe;
}

}  // namespace brennic
