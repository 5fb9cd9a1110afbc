#include "core/MessageHook.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace brennic {

MessageHook StderrMessageHook() {
    return [](const std::string& text, const std::string& caption) {
        if (caption.empty()) {
            std::fprintf(stderr, "%s\n", text.c_str());
        } else {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        }
        std::fflush(stderr);
    };
}

std::string FatalErrorText(const std::string& text, int code, int systemError) {
    const std::string system = std::system_category().message(systemError);
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, "Fatal error %s Error code %i %x %s", text.c_str(), code,
                  static_cast<unsigned>(code), system.c_str());
    return buffer;
}

void FatalError(const MessageHook& hook, const std::string& text, int code) {
    const int systemError = errno;  // read first: showing the message may change it
    const std::string message = FatalErrorText(text, code, systemError);
    if (hook) {
        hook(message, "Error");
    } else {
        StderrMessageHook()(message, "Error");
    }
    std::_Exit(systemError);
}

}  // namespace brennic
