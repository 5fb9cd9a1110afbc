#include "links/SocketError.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace brennic {

namespace {

constexpr std::size_t kNameMax = 63;
constexpr std::size_t kLocationMax = 31;

struct NamedError {
    int code;
    const char* name;
};

// Users and the server's documentation know these errors by their socket-library names; the
// POSIX errno of the same condition is shown under that name.
constexpr NamedError kNames[] = {
    {ENETDOWN, "WSAENETDOWN"},       {EFAULT, "WSAEFAULT"},           {EINTR, "WSAEINTR"},
    {EINPROGRESS, "WSAEINPROGRESS"}, {EINVAL, "WSAEINVAL"},           {EISCONN, "WSAEISCONN"},
    {ENETRESET, "WSAENETRESET"},     {ENOTSOCK, "WSAENOTSOCK"},       {EOPNOTSUPP, "WSAEOPNOTSUPP"},
    {ESHUTDOWN, "WSAESHUTDOWN"},     {EWOULDBLOCK, "WSAEWOULDBLOCK"}, {EMSGSIZE, "WSAEMSGSIZE"},
    {ETIMEDOUT, "WSAETIMEDOUT"},     {ECONNRESET, "WSAECONNRESET"},
};

}  // namespace

std::string SocketErrorName(int code) {
    for (const NamedError& e : kNames) {
        if (e.code == code) {
            return e.name;
        }
    }
    return "UNKNOWN WSA ERROR";
}

SocketError MakeSocketError(int code, const std::string& location, int line) {
    return SocketError{code, SocketErrorName(code), location.substr(0, kLocationMax), line};
}

SocketError MakeSystemError(int code, const std::string& location, int line) {
    return SocketError{code, std::system_category().message(code).substr(0, kNameMax),
                       location.substr(0, kLocationMax), line};
}

std::string SocketErrorText(const SocketError& error) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "WINSOCK Error code: %i %s\n%s at line %i", error.code,
                  error.name.c_str(), error.location.c_str(), error.line);
    return buffer;
}

}  // namespace brennic
