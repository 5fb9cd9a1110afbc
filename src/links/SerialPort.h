#pragma once

#include <string>

namespace brennic {

// Result of opening a serial device: the descriptor, or the errno of the step that failed.
struct SerialOpenResult {
    int fd = -1;
    int error = 0;
};

// Opens a tty for the controller link: read/write, not as controlling terminal, exclusive
// (further opens fail, except for root), non-blocking (readiness comes from poll). The
// configured speed, character size, parity, stop bits and flow control are kept as stty or
// udev left them; only input processing becomes raw, so carriage returns arrive
// untranslated and nothing is echoed, stripped or turned into a signal.
// A device that opens but is not a tty, or refuses a setting, is closed again and reported
// with the errno of the refused step. Any thread.
SerialOpenResult OpenSerialPort(const std::string& path);

// Gives up exclusive use and closes. Returns 0 or the errno of close. Any thread.
int CloseSerialPort(int fd);

// "Can not open communications device <port> Error code <n>: <system text>", caption "Error".
std::string OpenPortFailureText(const std::string& port, int error);

}  // namespace brennic
