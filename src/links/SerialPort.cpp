#include "links/SerialPort.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace brennic {

SerialOpenResult OpenSerialPort(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {-1, errno};
    }
    auto fail = [fd] {
        const int error = errno;
        close(fd);
        return SerialOpenResult{-1, error};
    };
    if (ioctl(fd, TIOCEXCL) != 0) {
        return fail();
    }
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        return fail();
    }
    // Only the input processing becomes raw: no canonical mode, echo, CR/NL mapping, bit
    // stripping or signal characters. Speed, character size, parity, stop bits and flow
    // control (XON/XOFF and RTS/CTS) stay as stty or udev set them. The receiver is enabled
    // and the modem lines ignored, so a three-wire cable works.
    t.c_iflag &= ~static_cast<tcflag_t>(BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) != 0) {
        return fail();
    }
    return {fd, 0};
}

int CloseSerialPort(int fd) {
    (void)ioctl(fd, TIOCNXCL);
    return close(fd) == 0 ? 0 : errno;
}

std::string OpenPortFailureText(const std::string& port, int error) {
    const std::string system = std::system_category().message(error);
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, " Error code %d: %s", error, system.c_str());
    return "Can not open communications device " + port + buffer;
}

}  // namespace brennic
