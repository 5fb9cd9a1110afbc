#pragma once

#include <string>

#include "cli/CommandLine.h"

namespace brennic {

// `brennic --headless`: the service without a window or display server. Blocks the stop
// signals, renders offscreen (QT_QPA_PLATFORM=offscreen is set before any Qt object exists,
// for the web publisher's ScreenShot.jpg), prepares the state as the window does and runs
// the service until SIGTERM or SIGINT. Returns the exit code. Main thread.
int RunHeadless(int argc, char** argv, const CommandLine& options, const std::string& exe);

}  // namespace brennic
