#pragma once

#include <string>

namespace brennic {

inline constexpr const char* kSocketErrorCaption = "WINSOCK error";

// The last socket error of the One-Wire link: the errno value, its name (from the table of
// socket error names, or the system's text for a system error), where it happened and a
// line number that tells the cases apart in the message.
struct SocketError {
    int code = 0;
    std::string name;      // at most 63 characters
    std::string location;  // at most 31 characters
    int line = 0;
};

// Name shown for an errno value of a socket call; "UNKNOWN WSA ERROR" for others.
std::string SocketErrorName(int code);

// A socket error record for errno value `code`, named from the table.
SocketError MakeSocketError(int code, const std::string& location, int line);

// A system error record: named with the system's text for `code`, cut to 63 characters.
SocketError MakeSystemError(int code, const std::string& location, int line);

// "WINSOCK Error code: %i %s\n%s at line %i"; shown with kSocketErrorCaption.
std::string SocketErrorText(const SocketError& error);

}  // namespace brennic
