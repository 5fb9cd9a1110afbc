// The stand-in programs, driven the way Brennic drives the real ones.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "core/AppState.h"
#include "links/ComLink.h"
#include "links/UdpSocket.h"
#include "support/LinkTestSupport.h"
#include "support/OneWireTestSupport.h"
#include "support/TempFolder.h"

namespace brennic {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::LinkEvent;
using testing::QueueSink;

constexpr std::uint32_t kLoopback = 0x7F000001;

std::uint16_t PortFromBanner(ChildProcess& server) {
    const auto banner = server.ReadLine();
    if (!banner || banner->rfind(':') == std::string::npos) {
        ADD_FAILURE() << "the stand-in server did not start";
        return 0;
    }
    return static_cast<std::uint16_t>(std::stoi(banner->substr(banner->rfind(':') + 1)));
}

OneWireBlock Request(const std::vector<std::string>& names) {
    OneWireBlock block{};
    OneWireProbes probes;
    for (std::size_t i = 0; i < names.size(); ++i) {
        probes[i].id = names[i];
    }
    BuildOneWireRequest(block, probes);
    return block;
}

// Sends `request` and waits for one reply (nothing after a short wait).
std::optional<std::vector<std::byte>> Ask(UdpSocket& client, std::uint16_t port,
                                          std::span<const std::byte> request) {
    if (client.SendTo(request, {kLoopback, port}) < 0) {
        return std::nullopt;
    }
    pollfd p{client.Fd(), POLLIN, 0};
    if (poll(&p, 1, 2000) <= 0) {
        return std::nullopt;
    }
    std::vector<std::byte> reply(kOneWireDatagramSize + 100);
    std::size_t received = 0;
    Endpoint from;
    if (client.Receive(reply, received, from, -1) != UdpSocket::Wait::kDatagram) {
        return std::nullopt;
    }
    reply.resize(received);
    return reply;
}

TEST(OneWireServer, ReadsW1DevicesAndFileProbesAndIgnoresMalformedRequests) {
    const testing::TempFolder folder;
    const std::filesystem::path w1 = folder.Path() / "w1";
    auto write = [&](const std::string& device, const std::string& file, const std::string& text) {
        std::filesystem::create_directories(w1 / device);
        std::ofstream(w1 / device / file, std::ios::binary) << text;
    };
    write("28-000000000001", "temperature", "23125\n");
    write("10-000000000002", "w1_slave",
          "2d 00 4b 46 ff ff 0c 10 1c : crc=1c YES\n2d 00 4b 46 ff ff 0c 10 1c t=-1250\n");
    write("3a-000000000003", "state", "\x74");  // PIO B on, PIO A off
    write("29-000000000004", "state", "\x81");
    write("28-000000000005", "w1_slave", "00 : crc=00 NO\n00 t=85000\n");  // bad CRC

    const std::filesystem::path file = w1 / "probes.txt";
    std::ofstream(file) << "# test probes\nWAUX-4 temp 30.5\nSW-1 switch 0b101\nWAUX-1 missing\n";
    ChildProcess server({BRENNIC_ONEWIRE_SERVER, "--bind", "127.0.0.1", "--port", "0", "--w1",
                         w1.string(), "--alias", "WAUX-2=28-000000000001", "--file",
                         file.string()});
    const std::uint16_t port = PortFromBanner(server);
    UdpSocket client;
    ASSERT_TRUE(client.Open());
    ASSERT_TRUE(client.Bind({kLoopback, 0}));

    // Too short, too many entries, a negative count, fewer bytes than the count needs: no reply.
    OneWireBlock six = Request({"WAUX-2"});
    WriteLe32(six, 4, 6);
    OneWireBlock negative = Request({"WAUX-2"});
    WriteLe32(negative, 4, -1);
    const OneWireBlock two = Request({"WAUX-2", "WAUX-2"});
    const std::vector<std::span<const std::byte>> malformed = {
        std::span<const std::byte>(two).first(3), six, negative,
        std::span<const std::byte>(two).first(16 + 48 + 20)};
    for (const auto& request : malformed) {
        ASSERT_GT(client.SendTo(request, {kLoopback, port}), 0);
    }
    // The first reply to arrive must be the one to the good request below.

    const auto reply = Ask(client, port,
                           Request({"WAUX-2", "10-000000000002", "3a-000000000003",
                                    "29-000000000004", "28-000000000005"}));
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), kOneWireDatagramSize);
    EXPECT_EQ(ReadLe32(*reply, 4), 5);
    auto entry = [&](std::size_t k) { return std::span(*reply).subspan(16 + 48 * k, 48); };
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry(0).data())), "WAUX-2");
    EXPECT_EQ(entry(0)[19], std::byte{0});
    EXPECT_DOUBLE_EQ(ReadLeDouble(entry(0), 24), 23.125);
    EXPECT_DOUBLE_EQ(ReadLeDouble(entry(1), 24), -1.25);
    EXPECT_EQ(ReadLe16(entry(2), 24), 0x0002);
    EXPECT_EQ(ReadLe16(entry(3), 24), 0x0081);
    EXPECT_EQ(entry(4)[19], std::byte{1}) << "a reading with a bad CRC is no reading";
    pollfd more{client.Fd(), POLLIN, 0};
    EXPECT_EQ(poll(&more, 1, 50), 0) << "a malformed request was answered";

    // Simulated probes from a file; names it does not know, or knows as missing, are absent.
    const auto simulated = Ask(client, port, Request({"WAUX-4", "SW-1", "WAUX-1", "nobody"}));
    ASSERT_TRUE(simulated);
    auto sim = [&](std::size_t k) { return std::span(*simulated).subspan(16 + 48 * k, 48); };
    EXPECT_DOUBLE_EQ(ReadLeDouble(sim(0), 24), 30.5);
    EXPECT_EQ(ReadLe16(sim(1), 24), 5);
    EXPECT_EQ(sim(2)[19], std::byte{1});
    EXPECT_EQ(sim(3)[19], std::byte{1});
}

// Runs the simulator on a pty, reads its lines through a ComLink until the simulator exits
// and its pty goes away (the reader must then fail).
std::vector<std::string> SimulatedLines(const std::vector<std::string>& argv) {
    ChildProcess sim(argv);
    const auto path = sim.ReadLine();
    std::vector<std::string> lines;
    if (!path) {
        ADD_FAILURE() << "the simulator did not start";
        return lines;
    }
    AppState state;
    state.config.comPort = *path;
    QueueSink sink;
    ComLink link(state, sink, {});
    EXPECT_TRUE(link.Start());
    bool failed = false;
    while (auto e = sink.Next(5s)) {
        if (e->kind == LinkEvent::kLine) {
            lines.push_back(e->text);
        } else if (e->kind == LinkEvent::kFailure) {
            failed = true;
            break;
        }
    }
    EXPECT_TRUE(failed) << "the pty closing ends the reader";
    link.ReaderFinished();
    return lines;
}

TEST(ControllerSim, BtuReportsReachTheLinkThroughItsPty) {
    const std::vector<std::string> lines = SimulatedLines(
        {BRENNIC_CONTROLLER_SIM, "--pty", "--model", "btu", "--period", "20", "--count", "2"});
    ASSERT_EQ(lines.size(), 8u);
    for (std::size_t i = 0; i < 8; i += 4) {
        EXPECT_GE(std::count(lines[i].begin(), lines[i].end(), '.'), 6) << lines[i];
        EXPECT_EQ(lines[i + 1], "");
        EXPECT_EQ(lines[i + 2].rfind("GPM=", 0), 0u) << lines[i + 2];
        EXPECT_EQ(lines[i + 3], "");
    }
}

}  // namespace
}  // namespace brennic
