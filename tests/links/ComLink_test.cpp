#include "links/ComLink.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#include <system_error>

#include "core/AppState.h"
#include "support/LinkTestSupport.h"

namespace brennic {
namespace {

using namespace std::chrono_literals;
using testing::LinkEvent;
using testing::Pty;
using testing::QueueSink;

class ComLinkTest : public ::testing::Test {
  protected:
    ComLinkTest() {
        state.showMessage = [this](const std::string& text, const std::string& caption) {
            shown.emplace_back(text, caption);
        };
        state.config.comPort = pty.path;
    }

    ComLink& Link(ComLinkTiming timing = Fast()) {
        link = std::make_unique<ComLink>(
            state, sink, [this] { ++refusals; }, timing);
        return *link;
    }

    static ComLinkTiming Fast() {
        ComLinkTiming t;
        t.readTimeout = 10s;  // no time-outs unless a test asks for them
        t.testDataPeriod = 10ms;
        t.keyValueDelay = 1ms;
        t.endDelay = 0ms;
        return t;
    }

    // Stops the reader and waits for its end notice, as the main window would.
    void StopAndFinish() {
        ASSERT_TRUE(link->Stop());
        for (;;) {
            auto e = sink.Next();
            ASSERT_TRUE(e) << "no end notice after Stop";
            if (e->kind == LinkEvent::kEnded) {
                break;
            }
        }
        link->ReaderFinished();
        EXPECT_FALSE(link->Running());
    }

    Pty pty;
    AppState state;
    QueueSink sink;
    int refusals = 0;
    std::vector<std::pair<std::string, std::string>> shown;  // text, caption
    std::unique_ptr<ComLink> link;
};

TEST_F(ComLinkTest, LineAssemblyKeepsPrintableBytesAndCapsLongLines) {
    std::string longLine;
    for (int i = 0; i < 600; ++i) {
        longLine.push_back(static_cast<char>('A' + i % 26));
    }
    // The first 509 characters, then the last one received before the carriage return.
    const std::string capped = longLine.substr(0, 509) + longLine.back();

    const struct {
        std::string bytes;
        std::string line;
    } cases[] = {
        {longLine + "\r", capped},
        {"a\tb\260c\r", "abc"},
        {std::string("x\0y", 3) + "\r", "xy"},
        {"\x80\xFF\x1B\x7Fq\r", "\x7Fq"},
        {"\n\n lead and trail \n\r", " lead and trail "},
        // A writer gone mad: a megabyte without a line end, a NUL flood, 8-bit junk.
        {std::string(1 << 20, 'x') + "\r", std::string(510, 'x')},
        {std::string(1 << 20, '\0') + std::string(1 << 20, '\xB0') + "ok\r", "ok"},
        {"12:00  165.0\r\n", "12:00  165.0"},
    };
    ASSERT_TRUE(Link().Start());
    EXPECT_EQ(link->Mode(), kModeSerial);
    for (const auto& c : cases) {
        pty.Write(c.bytes);
        EXPECT_EQ(sink.Lines(1), std::vector<std::string>{c.line});
    }
    StopAndFinish();
}

TEST_F(ComLinkTest, OpeningKeepsTheLineSettingsAndMakesInputRawAndExclusive) {
    // A port set up with `stty 9600 parodd cstopb crtscts ixon ixoff` (a pty is always
    // eight bits without parity, so size and parity cannot be shown here).
    termios before{};
    ASSERT_EQ(tcgetattr(pty.slave, &before), 0);
    cfsetispeed(&before, B9600);
    cfsetospeed(&before, B9600);
    before.c_cflag |= PARODD | CSTOPB | CRTSCTS;
    before.c_iflag |= IXON | IXOFF | ICRNL | ISTRIP;
    before.c_lflag |= ICANON | ECHO | ISIG;
    ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(pty.slave, &before), 0);
    const tcflag_t line = CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS;
    ASSERT_EQ(before.c_cflag & line, CS8 | PARODD | CSTOPB | CRTSCTS);

    ASSERT_TRUE(Link().Start());
    termios after{};
    ASSERT_EQ(tcgetattr(pty.slave, &after), 0);
    EXPECT_EQ(cfgetispeed(&after), static_cast<speed_t>(B9600));
    EXPECT_EQ(after.c_cflag & line, before.c_cflag & line);
    EXPECT_EQ(after.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(after.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(after.c_iflag & (ICRNL | IGNCR | INLCR | ISTRIP), 0u);
    int exclusive = 0;
    ASSERT_EQ(ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);

    StopAndFinish();
    ASSERT_EQ(ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "exclusive use outlives the link";
}

TEST_F(ComLinkTest, EverySilentTimeoutIsCountedAndReadingGoesOn) {
    ComLinkTiming timing = Fast();
    timing.readTimeout = 200ms;
    ASSERT_TRUE(Link(timing).Start());
    for (int i = 0; i < 2; ++i) {
        auto e = sink.Next();
        ASSERT_TRUE(e);
        EXPECT_EQ(e->kind, LinkEvent::kTimeout);
    }
    EXPECT_GE(link->TimeoutCount(), 2);
    pty.Write("after silence\r");
    for (;;) {
        auto e = sink.Next();
        ASSERT_TRUE(e);
        if (e->kind == LinkEvent::kLine) {
            EXPECT_EQ(e->text, "after silence");
            break;
        }
        EXPECT_EQ(e->kind, LinkEvent::kTimeout);
    }
    StopAndFinish();
}

TEST_F(ComLinkTest, StopWakesABlockedReadAtOnce) {
    ComLinkTiming timing = Fast();
    timing.readTimeout = 60s;
    ASSERT_TRUE(Link(timing).Start());
    ASSERT_TRUE(link->Stop());
    auto e = sink.Next(2s);
    ASSERT_TRUE(e) << "the reader waited for its read time-out";
    EXPECT_EQ(e->kind, LinkEvent::kEnded);
    EXPECT_EQ(link->TimeoutCount(), 0);
    EXPECT_TRUE(link->Running()) << "running until the main window handles the end notice";
    link->ReaderFinished();
    EXPECT_EQ(link->Mode(), kModeStopped);

    timing.endDelay = 60s;  // destroying a running link ends its reader quietly
    ASSERT_TRUE(Link(timing).Start());
    link.reset();
    EXPECT_EQ(sink.Next(100ms), std::nullopt);
}

// Commands not allowed at the moment are refused and change nothing.
TEST_F(ComLinkTest, RefusedCommandsAndAClosingOtherEndLeaveTheLinkReadyToStartAgain) {
    Link();
    EXPECT_FALSE(link->Stop());  // nothing runs
    EXPECT_EQ(refusals, 1);
    ASSERT_TRUE(link->Start());
    EXPECT_FALSE(link->Start());  // already running
    EXPECT_EQ(refusals, 2);
    EXPECT_FALSE(link->StartTestData()) << "test data does not replace a running port";
    EXPECT_EQ(refusals, 2) << "Test Data Control while running is no refusal";
    pty.Write("last\r");
    EXPECT_EQ(sink.Lines(1), std::vector<std::string>{"last"});
    pty.CloseMaster();
    auto e = sink.Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind, LinkEvent::kFailure);
    // A hung-up terminal reads as end of file (reported as a lost device) or fails with EIO,
    // depending on where the hang-up meets the read.
    EXPECT_TRUE(e->code == ENODEV || e->code == EIO) << e->code;
    EXPECT_EQ(e->text, std::system_category().message(e->code));
    EXPECT_EQ(sink.Next(100ms), std::nullopt) << "no end notice after a failure";
    link->ReaderFinished();
    EXPECT_FALSE(link->Running());
    EXPECT_EQ(link->Mode(), kModeStopped);

    Pty second;
    state.config.comPort = second.path;
    ASSERT_TRUE(link->Start());
    second.Write("again\r");
    EXPECT_EQ(sink.Lines(1), std::vector<std::string>{"again"});
    StopAndFinish();
    EXPECT_FALSE(link->Stop());
    EXPECT_EQ(refusals, 3);
    EXPECT_TRUE(shown.empty());
}

TEST_F(ComLinkTest, PortsThatDoNotOpenOrRefuseSettingsAreReportedAndLeaveTheLinkStopped) {
    const struct {
        std::string port;
        std::string text;
    } cases[] = {
        {"/nonexistent/ttyUSB9",
         "Can not open communications device /nonexistent/ttyUSB9 Error code 2: No such file or "
         "directory"},
        // Opens, but is no terminal: each setting is refused.
        {"/dev/null",
         "Can not open communications device /dev/null Error code 25: Inappropriate ioctl for "
         "device"},
    };
    Link();
    for (const auto& c : cases) {
        shown.clear();
        state.config.comPort = c.port;
        EXPECT_FALSE(link->Start());
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].first, c.text);
        EXPECT_EQ(shown[0].second, "Error");
        EXPECT_FALSE(link->Running());
    }
    EXPECT_EQ(refusals, 0);
    state.config.comPort = pty.path;
    ASSERT_TRUE(link->Start());
    StopAndFinish();
}

}  // namespace
}  // namespace brennic
