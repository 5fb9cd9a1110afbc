#include "links/OneWireLink.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "core/AppState.h"
#include "support/LinkTestSupport.h"
#include "support/OneWireTestSupport.h"

namespace brennic {
namespace {

using namespace std::chrono_literals;
using testing::ExampleProbes;
using testing::LinkEvent;
using testing::MakeReply;
using testing::QueueSink;

constexpr std::uint32_t kLoopback = 0x7F000001;

class OneWireLinkTest : public ::testing::Test {
  protected:
    OneWireLinkTest() {
        state.showMessage = [this](const std::string& text, const std::string& caption) {
            shown.emplace_back(text, caption);
        };
        state.config.oneWireEnable = 1;
        state.config.oneWireServerIp = "127.0.0.1";
        state.config.oneWireProbes = ExampleProbes(2);
    }

    // Starts the stand-in server with the example probes and points the configuration at it.
    void StartServer(const char* bind = "127.0.0.1") {
        server = std::make_unique<testing::ChildProcess>(std::vector<std::string>{
            BRENNIC_ONEWIRE_SERVER, "--bind", bind, "--port", "0", "--probe", "WAUX-1=25.0",
            "--probe", "WAUX-3=-10.5", "--switch", "SW-1=0x0002"});
        const auto banner = server->ReadLine();
        ASSERT_TRUE(banner) << "the stand-in server did not start";
        state.config.oneWirePort = std::stoi(banner->substr(banner->rfind(':') + 1));
    }

    std::vector<std::byte> NextReply() {
        auto e = sink.Next();
        if (!e || e->kind != LinkEvent::kReply) {
            ADD_FAILURE() << "no reply";
            return {};
        }
        return e->datagram;
    }

    AppState state;
    QueueSink sink;
    int refusals = 0;
    std::vector<std::pair<std::string, std::string>> shown;  // text, caption
    OneWireLink link{state, sink, [this] { ++refusals; }};
    std::unique_ptr<testing::ChildProcess> server;
};

// A server bound to all addresses and asked at 127.0.0.2 answers from 127.0.0.1, as a
// multi-homed box answers from the address it routes by: its reply is heard all the same. Then
// a flood of foreign and malformed datagrams at the link's port: none reaches the processor,
// they are counted, and the server's next reply still gets through with its readings.
TEST_F(OneWireLinkTest, PollsTheServerAndAppliesItsReplyThroughAFlood) {
    StartServer("0.0.0.0");
    state.config.oneWireServerIp = "127.0.0.2";
    ASSERT_TRUE(link.StartLink(true));
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.ServerAddress(),
              (Endpoint{0x7F000002, static_cast<std::uint16_t>(state.config.oneWirePort)}));
    link.TimerTick();
    EXPECT_EQ(link.SentCount(), 1);
    const std::vector<std::byte> reply = NextReply();
    ASSERT_EQ(reply.size(), kOneWireDatagramSize);
    EXPECT_EQ(link.ReceivedCount(), 1);
    EXPECT_TRUE(ProcessOneWireReply(state, reply));
    EXPECT_EQ(state.oneWire.currentValues,
              (std::array<float, 4>{77.0f, kNoReading, 13.1f, kNoReading}));
    EXPECT_EQ(state.oneWire.switchState, 1);
    EXPECT_EQ(link.ForeignCount(), 0);

    UdpSocket stranger;
    ASSERT_TRUE(stranger.Open());
    ASSERT_TRUE(stranger.Bind({kLoopback, 0}));
    const auto forged = MakeReply(1, {{"WAUX-1", 0, 100.0}});
    int sent = 0;
    for (int i = 0; i < 3000; ++i) {
        std::vector<std::byte> junk(static_cast<std::size_t>(i % 1500));
        for (std::size_t k = 0; k < junk.size(); ++k) {
            junk[k] = static_cast<std::byte>((k * 131 + static_cast<std::size_t>(i)) & 0xFF);
        }
        const auto& datagram = i % 3 == 0 ? forged : junk;
        sent += stranger.SendTo(datagram, {kLoopback, link.LocalAddress().port}) >= 0 ? 1 : 0;
    }
    ASSERT_GT(sent, 0);
    // The kernel drops what does not fit the socket's buffer; poll once the link has drained
    // what did, as the next poll after a real flood would.
    for (int last = -1, steady = 0; steady < 5; std::this_thread::sleep_for(20ms)) {
        const int now = link.ForeignCount();
        steady = now == last ? steady + 1 : 0;
        last = now;
    }
    link.TimerTick();
    ProcessOneWireReply(state, NextReply());
    EXPECT_EQ(state.oneWire.currentValues[0], 77.0f);
    EXPECT_GT(link.ForeignCount(), 0);
    EXPECT_EQ(link.ReceivedCount(), 2);

    EXPECT_TRUE(link.CloseLink());
    EXPECT_FALSE(link.IsOpen());
    auto e = sink.Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind, LinkEvent::kReceiverEnded);
    EXPECT_TRUE(shown.empty());
}

// From the server's port at another address only a complete reply counts as the server's.
TEST_F(OneWireLinkTest, OtherAddressWithTheServersPortNeedsACompleteReply) {
    UdpSocket peer;
    ASSERT_TRUE(peer.Open());
    ASSERT_TRUE(peer.Bind({kLoopback, 0}));
    state.config.oneWireServerIp = "127.0.0.2";
    state.config.oneWirePort = peer.Local().port;
    ASSERT_TRUE(link.StartLink(true));
    auto truncated = MakeReply(2, {{"WAUX-1", 0, 100.0}, {"WAUX-2", 0, 50.0}});
    truncated.resize(kOneWireHeadSize + kOneWireEntrySize);  // two counted, one received
    const struct {
        std::vector<std::byte> datagram;
        int received;
        int dropped;
    } cases[] = {
        {truncated, 0, 1},
        {std::vector<std::byte>(4), 0, 2},
        {MakeReply(1, {{"WAUX-1", 0, 100.0}}), 1, 2},
    };
    for (const auto& c : cases) {
        ASSERT_GT(peer.SendTo(c.datagram, {kLoopback, link.LocalAddress().port}), 0);
        if (c.received > link.ReceivedCount()) {
            NextReply();
        }
        for (int i = 0;
             i < 100 && link.ForeignCount() + link.ReceivedCount() < c.received + c.dropped; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_EQ(link.ReceivedCount(), c.received) << c.datagram.size();
        EXPECT_EQ(link.ForeignCount(), c.dropped) << c.datagram.size();
    }
}

TEST_F(OneWireLinkTest, StartIsRefusedUnlessTheControllerRunsAndOneWireIsEnabled) {
    state.config.oneWirePort = 9;  // never reached
    EXPECT_FALSE(link.StartLink(false));
    state.config.oneWireEnable = 0;
    EXPECT_FALSE(link.StartLink(true));
    state.config.oneWireEnable = 1;
    state.oneWire.currentValues = {1, 2, 3, 4};
    state.oneWire.switchState = 1;
    const std::time_t before = std::time(nullptr);
    ASSERT_TRUE(link.StartLink(true));  // clears the readings and restarts the stale clock
    EXPECT_EQ(state.oneWire.currentValues,
              (std::array<float, 4>{kNoReading, kNoReading, kNoReading, kNoReading}));
    EXPECT_EQ(state.oneWire.switchState, -1);
    EXPECT_GE(state.oneWire.lastReceiveTime, before);
    EXPECT_FALSE(link.StartLink(true));  // already open
    EXPECT_EQ(refusals, 3);
    EXPECT_TRUE(shown.empty());
}

TEST_F(OneWireLinkTest, ReadingsTurnStaleAfterTwiceTheTimer) {
    const struct {
        int timerMs;
        int silentSeconds;
        bool stale;
    } cases[] = {{30000, 60, false}, {30000, 61, true}, {1000, 3, true}};
    const std::time_t now = 1'700'000'000;
    for (const auto& c : cases) {
        state.config.oneWireTimer = c.timerMs;
        state.oneWire.currentValues = {1, 2, 3, 4};
        state.oneWire.switchState = 1;
        state.oneWire.lastReceiveTime = now - c.silentSeconds;
        link.TimerTick(now);
        EXPECT_EQ(state.oneWire.switchState, c.stale ? -1 : 1) << c.silentSeconds;
        EXPECT_EQ(state.oneWire.currentValues[3], c.stale ? kNoReading : 4.0f);
    }
    EXPECT_EQ(state.oneWire.staleCount, 0) << "only counted while the link is open";

    StartServer();
    ASSERT_TRUE(link.StartLink(true));
    state.oneWire.lastReceiveTime = now - 3;
    link.TimerTick(now);
    EXPECT_EQ(state.oneWire.staleCount, 1);
    EXPECT_EQ(link.SentCount(), 1) << "a stale link still asks";
}

TEST_F(OneWireLinkTest, OpenFailuresAreRecordedAndShown) {
    const struct {
        std::string ip;
        int port;
    } badServers[] = {{"onewire.local", 5003}, {"127.0.0.1", 0}, {"127.0.0.1", 70000}};
    for (const auto& c : badServers) {
        shown.clear();
        state.config.oneWireServerIp = c.ip;
        state.config.oneWirePort = c.port;
        EXPECT_FALSE(link.StartLink(true));
        ASSERT_EQ(shown.size(), 1u) << c.ip;
        EXPECT_EQ(shown[0].first, "WINSOCK Error code: 22 WSAEINVAL\nServer address at line 104");
        EXPECT_EQ(shown[0].second, "WINSOCK error");
        EXPECT_FALSE(link.IsOpen());
    }

    UdpSocket occupant;
    ASSERT_TRUE(occupant.Open());
    ASSERT_TRUE(occupant.Bind({kLoopback, 0}));
    EXPECT_FALSE(link.OpenLink(occupant.Local(), {kLoopback, 9}));
    EXPECT_EQ(SocketErrorText(link.LastError()),
              "WINSOCK Error code: 98 UNKNOWN WSA ERROR\nbind() at line 120");  // EADDRINUSE
    EXPECT_FALSE(link.IsOpen());

    ASSERT_TRUE(link.OpenLink({kLoopback, 0}, {kLoopback, 9})) << "a failed bind left a socket";
}

TEST_F(OneWireLinkTest, EveryFailedSendIsShown) {
    ASSERT_TRUE(link.OpenLink({0, 0}, {kLoopback, 0}));  // port 0 cannot be sent to
    state.oneWire.lastReceiveTime = std::time(nullptr);
    link.TimerTick();
    link.TimerTick();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].first, "WINSOCK Error code: 22 WSAEINVAL\nsendto() at line 183");
    EXPECT_EQ(shown[1].second, "WINSOCK error");
    EXPECT_EQ(link.SentCount(), 0);

    // Nothing to ask for: nothing is sent and nothing fails.
    for (auto& probe : state.config.oneWireProbes) {
        probe.id = " ";
    }
    link.TimerTick();
    EXPECT_EQ(shown.size(), 2u);
}

TEST(SocketError, NamesAndMessage) {
    const struct {
        int code;
        const char* name;
    } cases[] = {{ENETDOWN, "WSAENETDOWN"},
                 {EWOULDBLOCK, "WSAEWOULDBLOCK"},
                 {EADDRINUSE, "UNKNOWN WSA ERROR"},
                 {0, "UNKNOWN WSA ERROR"}};
    for (const auto& c : cases) {
        EXPECT_EQ(SocketErrorName(c.code), c.name) << c.code;
    }
    EXPECT_EQ(SocketErrorText(MakeSocketError(ECONNRESET, "recvfrom()", 232)),
              "WINSOCK Error code: 104 WSAECONNRESET\nrecvfrom() at line 232");
    const SocketError system = MakeSystemError(EAGAIN, std::string(40, 'L'), 142);
    EXPECT_EQ(system.name, "Resource temporarily unavailable");
    EXPECT_EQ(system.location.size(), 31u);
}

}  // namespace
}  // namespace brennic
