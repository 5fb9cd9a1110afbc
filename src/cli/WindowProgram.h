#pragma once

#include <string>

namespace brennic {

// The program that draws the window: `brennic` itself (the command the user runs) handles the
// windowless commands in plain C++ and hands everything else to it, so that those commands
// load no GUI library.
inline constexpr const char* kWindowProgramName = "brennic-window";
// The environment variable that tells the window program the path of the command the user
// ran: its name and folder decide the configuration folder, the help pages and Glycol.txt.
inline constexpr const char* kFrontPathVariable = "BRENNIC_EXECUTABLE";

// Where the window program of the command at `frontPath` is: beside it (a build folder), else
// in ../libexec/brennic (an installed program). Empty when neither exists.
std::string FindWindowProgram(const std::string& frontPath);

// Replaces this process (same process id, so a service manager keeps following it) with the
// window program, passing `argv` on unchanged and `frontPath` in kFrontPathVariable. Returns
// only when that fails, after saying why on standard error: 127. Main thread.
int StartWindowProgram(const std::string& frontPath, char** argv);

// The path of the running executable (/proc/self/exe), else `argv0` made absolute.
std::string ExecutablePath(const char* argv0);

}  // namespace brennic
