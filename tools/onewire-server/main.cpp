// brennic-onewire-server: a stand-in for the One-Wire server Brennic polls over UDP.
// Answers every request datagram with one reply for the names it asks for.

#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ProbeSource.h"
#include "links/OneWireDatagram.h"
#include "links/UdpSocket.h"

using namespace brennic;
using brennic::onewire::ProbeReading;
using brennic::onewire::ProbeSource;

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: brennic-onewire-server [options]\n"
                 "  --bind ADDR       IPv4 address to listen on (default 0.0.0.0)\n"
                 "  --port N          UDP port (default 5003; 0 picks a free one)\n"
                 "  --probe NAME=C    simulated temperature probe in degrees Celsius\n"
                 "  --switch NAME=W   simulated switch; W is the channel word, bit 0 = A\n"
                 "  --missing NAME    a probe that answers with no reading\n"
                 "  --file PATH       probes from a file, re-read when it changes:\n"
                 "                    'NAME temp 21.5', 'NAME switch 0x0002', 'NAME missing'\n"
                 "  --w1 DIR          w1 devices folder (default /sys/bus/w1/devices)\n"
                 "  --alias NAME=ID   answer NAME from the w1 device ID (e.g. 28-0316a2795bff)\n"
                 "  --verbose         log every request\n"
                 "Names not found anywhere are answered with no reading.\n");
}

bool SplitPair(const std::string& text, std::string& name, std::string& value) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) {
        return false;
    }
    name = text.substr(0, eq);
    value = text.substr(eq + 1);
    return true;
}

std::string EntryName(const OneWireBlock& block, std::size_t offset) {
    const char* p = reinterpret_cast<const char*>(block.data() + offset);
    return std::string(p, strnlen(p, kOneWireNameSize));
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "C");
    ProbeSource probes;
    std::string bindAddress = "0.0.0.0";
    long port = 5003;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        std::string name, value;
        if (arg == "--bind" && hasValue) {
            bindAddress = argv[++i];
        } else if (arg == "--port" && hasValue) {
            char* end = nullptr;
            port = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || port < 0 || port > 65535) {
                std::fprintf(stderr, "brennic-onewire-server: bad port %s\n", argv[i]);
                return 2;
            }
        } else if (arg == "--probe" && hasValue && SplitPair(argv[++i], name, value)) {
            char* end = nullptr;
            const double c = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0') {
                std::fprintf(stderr, "brennic-onewire-server: bad temperature %s\n", argv[i]);
                return 2;
            }
            probes.SetSimulated(name, {ProbeReading::kTemperature, c, 0});
        } else if (arg == "--switch" && hasValue && SplitPair(argv[++i], name, value)) {
            int word = 0;
            if (!ProbeSource::ParseSwitchWord(value, word)) {
                std::fprintf(stderr, "brennic-onewire-server: bad switch word %s\n", argv[i]);
                return 2;
            }
            probes.SetSimulated(name, {ProbeReading::kSwitch, 0.0, word});
        } else if (arg == "--missing" && hasValue) {
            probes.SetSimulated(argv[++i], {});
        } else if (arg == "--file" && hasValue) {
            std::map<std::string, ProbeReading> check;
            if (!ProbeSource::ParseFile(argv[++i], check)) {
                return 2;
            }
            probes.SetFile(argv[i]);
        } else if (arg == "--w1" && hasValue) {
            probes.SetW1Folder(argv[++i]);
        } else if (arg == "--alias" && hasValue && SplitPair(argv[++i], name, value)) {
            probes.SetAlias(name, value);
        } else if (arg == "--verbose") {
            verbose = true;
        } else {
            Usage();
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }

    const auto address = ParseIpv4(bindAddress);
    if (!address) {
        std::fprintf(stderr, "brennic-onewire-server: bad address %s\n", bindAddress.c_str());
        return 2;
    }
    UdpSocket socket;
    if (!socket.Open() || !socket.Bind({*address, static_cast<std::uint16_t>(port)})) {
        std::fprintf(stderr, "brennic-onewire-server: cannot listen on %s:%ld: %s\n",
                     bindAddress.c_str(), port, std::strerror(errno));
        return 1;
    }
    std::printf("brennic-onewire-server listening on %s:%u\n", bindAddress.c_str(),
                static_cast<unsigned>(socket.Local().port));
    std::fflush(stdout);

    OneWireBlock request{};
    for (;;) {
        std::size_t received = 0;
        Endpoint from;
        if (socket.Receive(request, received, from, -1) != UdpSocket::Wait::kDatagram) {
            std::fprintf(stderr, "brennic-onewire-server: receive failed: %s\n",
                         std::strerror(errno));
            sleep(1);
            continue;
        }
        const int n = received >= 8 ? ReadLe32(request, 4) : -1;
        if (n < 1 || n > kOneWireMaxEntries ||
            received < kOneWireHeadSize + kOneWireEntrySize * static_cast<std::size_t>(n)) {
            std::fprintf(stderr,
                         "brennic-onewire-server: ignored a malformed request (%zu bytes)\n",
                         received);
            continue;
        }
        OneWireBlock reply{};
        WriteLe32(reply, 4, n);
        WriteLe32(reply, 8, 1);
        for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
            const std::size_t offset = kOneWireHeadSize + kOneWireEntrySize * k;
            const std::string name = EntryName(request, offset);
            std::memcpy(reply.data() + offset, name.data(), name.size());
            reply[offset + 17] = request[offset + 17];
            reply[offset + 18] = request[offset + 18];
            const ProbeReading r = probes.Read(name);
            reply[offset + kOneWireStatusOffset] =
                std::byte{static_cast<unsigned char>(r.kind == ProbeReading::kMissing ? 1 : 0)};
            if (r.kind == ProbeReading::kTemperature) {
                WriteLeDouble(reply, offset + kOneWireValueOffset, r.celsius);
            } else if (r.kind == ProbeReading::kSwitch) {
                WriteLe16(reply, offset + kOneWireValueOffset,
                          static_cast<std::int16_t>(r.switchWord));
            }
            if (verbose) {
                std::printf("%s: %s\n", name.c_str(),
                            r.kind == ProbeReading::kTemperature ? std::to_string(r.celsius).c_str()
                            : r.kind == ProbeReading::kSwitch ? std::to_string(r.switchWord).c_str()
                                                              : "no reading");
            }
        }
        if (verbose) {
            std::fflush(stdout);
        }
        if (socket.SendTo(reply, from) < 0) {
            std::fprintf(stderr, "brennic-onewire-server: reply failed: %s\n",
                         std::strerror(errno));
        }
    }
}
