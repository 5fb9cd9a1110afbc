#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace brennic {

// An IPv4 address and port in host order.
struct Endpoint {
    std::uint32_t address = 0;  // host order; 0 = any
    std::uint16_t port = 0;

    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

// Parses dotted-decimal IPv4 text ("192.168.1.20"); nothing for anything else.
std::optional<std::uint32_t> ParseIpv4(const std::string& text);

// A UDP socket (IPv4). Failing calls return false or -1 and leave errno set. Send and receive
// may run on different threads; Open, Bind and Close belong to the owner.
class UdpSocket {
  public:
    UdpSocket() = default;
    ~UdpSocket() { Close(); }
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool Open();
    bool Bind(const Endpoint& local);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    // The address the socket is bound to (port chosen by the system when bound to 0).
    Endpoint Local() const;

    // Sends one datagram; returns the bytes sent or -1.
    long SendTo(std::span<const std::byte> data, const Endpoint& to);

    enum class Wait { kDatagram, kWoken, kError };
    // Waits for a datagram or for `wakeFd` to become readable. On kDatagram, `received` holds
    // the byte count (a longer datagram is cut to the buffer) and `from` the sender.
    Wait Receive(std::span<std::byte> buffer, std::size_t& received, Endpoint& from, int wakeFd);

  private:
    int fd_ = -1;
};

}  // namespace brennic
