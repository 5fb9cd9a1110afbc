#include "links/UdpSocket.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace brennic {

namespace {

sockaddr_in ToSockaddr(const Endpoint& e) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(e.port);
    a.sin_addr.s_addr = htonl(e.address);
    return a;
}

Endpoint FromSockaddr(const sockaddr_in& a) {
    return Endpoint{ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}

}  // namespace

std::optional<std::uint32_t> ParseIpv4(const std::string& text) {
    in_addr a{};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1) {
        return std::nullopt;
    }
    return ntohl(a.s_addr);
}

bool UdpSocket::Open() {
    Close();
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    return fd_ >= 0;
}

bool UdpSocket::Bind(const Endpoint& local) {
    const sockaddr_in a = ToSockaddr(local);
    return bind(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

void UdpSocket::Close() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

Endpoint UdpSocket::Local() const {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    if (getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
        return {};
    }
    return FromSockaddr(a);
}

long UdpSocket::SendTo(std::span<const std::byte> data, const Endpoint& to) {
    const sockaddr_in a = ToSockaddr(to);
    return sendto(fd_, data.data(), data.size(), MSG_NOSIGNAL,
                  reinterpret_cast<const sockaddr*>(&a), sizeof a);
}

UdpSocket::Wait UdpSocket::Receive(std::span<std::byte> buffer, std::size_t& received,
                                   Endpoint& from, int wakeFd) {
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Wait::kError;
        }
        if (fds[1].revents != 0) {
            return Wait::kWoken;
        }
        sockaddr_in a{};
        socklen_t length = sizeof a;
        const ssize_t n = recvfrom(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&a), &length);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            return Wait::kError;
        }
        received = static_cast<std::size_t>(n);
        from = FromSockaddr(a);
        return Wait::kDatagram;
    }
}

}  // namespace brennic
