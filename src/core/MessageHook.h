#pragma once

#include <functional>
#include <string>

namespace brennic {

// The plain layer cannot show a message box. It reports through this hook, which the UI
// replaces at start-up; the default writes "caption: text" to standard error.
using MessageHook = std::function<void(const std::string& text, const std::string& caption)>;

MessageHook StderrMessageHook();

// Ends the process after showing "Fatal error %s Error code %i %x %s" with the system's text
// for the current errno, caption "Error". The exit code is that errno value. No destructors
// run and nothing is saved. Any thread.
[[noreturn]] void FatalError(const MessageHook& hook, const std::string& text, int code);

// The message FatalError shows, for a given system error number.
std::string FatalErrorText(const std::string& text, int code, int systemError);

}  // namespace brennic
