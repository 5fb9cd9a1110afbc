// The dashboard server against a real HTTP client (libcurl) on 127.0.0.1.

#include "http/HttpServer.h"

#include <toml++/toml.h>

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <thread>

#include "support/HttpTestClient.h"
#include "support/ProcessorTestSupport.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"
#include "web/WritePagesCommand.h"

namespace brennic {
namespace {

using nlohmann::json;
using test::HttpGet;

class HttpServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::Prepare(state_, kVexin2, test::kNoon);
        // Collector, storage, aux1, aux2 and the pump as the controller reports them.
        test::Feed(state_, test::Positional("150.0", "120.0", "101.5", "99.0", "ON"), test::kNoon);
        test::Feed(state_, test::Positional("152.5", "121.0", "101.5", "99.0", "ON"),
                   test::kNoon + 2);
        test::Feed(state_, test::Positional("OPEN.S", "122.0", "101.5", "99.0", "OFF"),
                   test::kNoon + 4);
    }
    void Start(HttpSettings settings = {}) {
        settings.port = 0;
        HttpSources sources = AppStateSources(state_, [this] { return links_; });
        if (fixedClock_) {
            sources.clock = [] { return test::kNoon + 10; };
        }
        server_ = std::make_unique<HttpServer>(settings, std::move(sources));
        std::string error;
        ASSERT_TRUE(server_->Start(error)) << error;
        base_ = "http://127.0.0.1:" + std::to_string(server_->Port());
    }
    json Json(const std::string& path) {
        const auto a = HttpGet(base_ + path);
        EXPECT_EQ(a.status, 200) << path << ": " << a.body;
        return json::parse(a.body);
    }

    ScopedTimeZone zone_{"CET-1CEST,M3.5.0,M10.5.0/3"};
    AppState state_;
    LiveLinks links_;
    bool fixedClock_ = true;
    std::unique_ptr<HttpServer> server_;
    std::string base_;
};

TEST_F(HttpServerTest, CurrentAndStatisticsCarryTheProcessedValues) {
    Start();
    const json c = Json("/api/v1/current");
    const json& ch = c["sample"]["channels"];
    EXPECT_TRUE(ch["collector"]["value"].is_null());  // OPEN.S in the last line
    EXPECT_EQ(ch["storage"]["value"], 122.0);
    EXPECT_EQ(ch["storage"]["unit"], "°F");
    EXPECT_EQ(ch["aux1"]["value"], 101.5);
    EXPECT_EQ(c["sample"]["epoch"], test::kNoon + 4);
    EXPECT_EQ(c["sample"]["iso"], "2009-06-01T14:00:04+02:00");
    EXPECT_EQ(c["pumps"]["collector"],
              json::parse(R"({"running":false,"onSeconds":4,"cycles":1})"));
    EXPECT_EQ(c["counters"]["samples"], 3);
    EXPECT_EQ(c["counters"]["openSensors"], 1);
    EXPECT_EQ(c["status"].size(), 6u);

    const json s = Json("/api/v1/statistics");
    EXPECT_EQ(s["maximum"]["channels"]["collector"]["value"], 152.5);
    EXPECT_EQ(s["minimum"]["channels"]["storage"]["value"], 120.0);
    EXPECT_EQ(s["dayMax"]["channels"]["storage"]["value"], 122.0);
}

TEST_F(HttpServerTest, HistoryComesAsJsonOrCsv) {
    Start();
    const json j = Json("/api/v1/history?from=" + std::to_string(test::kNoon) +
                        "&to=2009-06-01T12:00:03Z&channels=collector,storage");
    ASSERT_EQ(j["samples"].size(), 2u);
    EXPECT_EQ(j["samples"][1]["collector"], 152.5);
    EXPECT_FALSE(j["samples"][1].contains("aux1"));

    const auto csv =
        HttpGet(base_ + "/api/v1/history?from=2009-06-01T14:00:00%2B02:00", {"Accept: text/csv"});
    EXPECT_EQ(csv.contentType, "text/csv; charset=utf-8");
    EXPECT_EQ(csv.body.rfind("time,epoch,collector,storage,", 0), 0u) << csv.body;
    EXPECT_EQ(std::count(csv.body.begin(), csv.body.end(), '\n'), 4) << csv.body;
    // A line per sample; no reading (OPEN.S) is an empty cell.
    for (const char* row : {"\r\n2009-06-01T14:00:00+02:00,1243857600,150,120,",
                            "\r\n2009-06-01T14:00:02+02:00,1243857602,152.5,121,",
                            "\r\n2009-06-01T14:00:04+02:00,1243857604,,122,"}) {
        EXPECT_NE(csv.body.find(row), std::string::npos) << row;
    }
    EXPECT_EQ(Json("/api/v1/history?step=3&from=0")["samples"].size(), 2u);
}

TEST_F(HttpServerTest, BadRequestsGetAJsonErrorAndNothingElse) {
    Start();
    const std::string big(20000, 'x');
    const std::string body = "{}";
    const struct {
        const char* path;
        const char* method;
        std::vector<std::string> headers;
        bool withBody;
        long status;
    } cases[] = {
        {"/nothing-here", nullptr, {}, false, 404},
        {"/../../etc/passwd", nullptr, {}, false, 404},
        {"/api/v1/current", "POST", {}, true, 405},
        {"/api/v1/current", "DELETE", {}, false, 405},
        {"/api/v1/current", "GET", {}, true, 413},
        {"/api/v1/history?from=200&to=100", nullptr, {}, false, 400},
        {"/api/v1/history?from=yesterday", nullptr, {}, false, 400},
        {"/api/v1/history?to=2009-02-30T00:00:00", nullptr, {}, false, 400},
        {"/api/v1/history?channels=collector,attic", nullptr, {}, false, 400},
        {"/api/v1/history?step=-2", nullptr, {}, false, 400},
        {"/api/v1/history?format=xml", nullptr, {}, false, 400},
        {"/api/v1/history?form=1", nullptr, {}, false, 400},
        {"/api/v1/current", nullptr, {"X-Big: " + big}, false, 431},
    };
    for (const auto& c : cases) {
        const auto a = HttpGet(base_ + c.path, c.headers, c.method, c.withBody ? &body : nullptr);
        EXPECT_EQ(a.status, c.status) << c.path << " " << (c.method ? c.method : "GET");
        if (c.status != 431) {  // the library answers oversized headers itself
            EXPECT_EQ(a.contentType, "application/json") << c.path;
            EXPECT_EQ(json::parse(a.body)["error"]["status"], c.status) << a.body;
        }
    }
    EXPECT_EQ(state_.processor.sampleCount, 3);  // nothing changed
}

TEST_F(HttpServerTest, TokenIsNeededForDataWhenSet) {
    HttpSettings settings;
    settings.token = "s3cret-Token";
    settings.allowOrigin = "http://example.test";
    Start(settings);
    const struct {
        std::string path;
        std::vector<std::string> headers;
        long status;
    } cases[] = {
        {"/api/v1/current", {}, 401},
        {"/metrics", {"Authorization: Bearer wrong"}, 401},
        {"/api/v1/current?token=s3cret-Toke", {}, 401},
        {"/api/v1/current", {"Authorization: Bearer s3cret-Token"}, 200},
        {"/metrics?token=s3cret-Token", {}, 200},
        {"/", {}, 200},  // the page itself holds no data
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HttpGet(base_ + c.path, c.headers).status, c.status) << c.path;
    }
}

TEST_F(HttpServerTest, PagesAreByteIdenticalToWritePages) {
    fixedClock_ = false;  // both take the time of day: retry when the second turns
    Start();
    testing::TempFolder folder;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::time_t before = std::time(nullptr);
        ASSERT_EQ(WritePagesCommand(state_, folder.Path().string(), links_.page), 0);
        const auto stats = HttpGet(base_ + "/BRN_Stats.htm");
        const auto probes = HttpGet(base_ + "/BRN_Probes.htm");
        if (std::time(nullptr) != before) {
            continue;
        }
        EXPECT_EQ(stats.body, testing::ReadAll(folder.Path() / "BRN_Stats.htm"));
        EXPECT_EQ(probes.body, testing::ReadAll(folder.Path() / "BRN_Probes.htm"));
        return;
    }
    FAIL() << "the clock kept turning";
}

TEST_F(HttpServerTest, MetricsFollowTheExpositionFormat) {
    Start();
    const auto a = HttpGet(base_ + "/metrics");
    EXPECT_EQ(a.contentType, "text/plain; version=0.0.4; charset=utf-8");
    const std::regex sample(
        R"(^[a-zA-Z_:][a-zA-Z0-9_:]*(\{([a-zA-Z_]\w*="([^"\\]|\\.)*",?)*\})? -?[0-9.eE+-]+$)");
    const std::regex comment(R"(^# (HELP|TYPE) [a-zA-Z_:][a-zA-Z0-9_:]* .+$)");
    std::istringstream lines(a.body);
    std::string line;
    std::map<std::string, double> values;
    while (std::getline(lines, line)) {
        ASSERT_TRUE(std::regex_match(line, sample) || std::regex_match(line, comment)) << line;
        if (line[0] != '#') {
            values[line.substr(0, line.rfind(' '))] = std::stod(line.substr(line.rfind(' ') + 1));
        }
    }
    EXPECT_EQ(values["brennic_temperature_fahrenheit{channel=\"storage\",name=\"Storage\"}"],
              122.0);
    EXPECT_EQ(
        values.count("brennic_temperature_fahrenheit{channel=\"collector\",name=\"Collector\"}"),
        0u);
    EXPECT_EQ(values["brennic_samples_total"], 3);
    EXPECT_EQ(values["brennic_open_sensors_total"], 1);
    EXPECT_EQ(values["brennic_pump_on_seconds_total{loop=\"collector\"}"], 4);
    EXPECT_EQ(values["brennic_last_sample_age_seconds"], 6);
}

TEST_F(HttpServerTest, HealthFollowsTheControllerLine) {
    Start();
    const struct {
        bool comActive;
        bool testData;
        int expected;  // seconds; the last sample is 6 s old
        long status;
    } cases[] = {{true, false, 5, 200},
                 {true, false, 1, 503},
                 {false, false, 5, 503},
                 {false, true, 1, 200}};
    for (const auto& c : cases) {
        links_.page.comActive = c.comActive;
        links_.testData = c.testData;
        links_.expectedIntervalSeconds = c.expected;
        const auto a = HttpGet(base_ + "/healthz");
        EXPECT_EQ(a.status, c.status) << a.body;
        EXPECT_EQ(json::parse(a.body).contains("reason"), c.status != 200 || c.testData);
    }
}

// Collects an event stream until `stop` is set.
struct StreamReader {
    std::string received;
    std::mutex mutex;
    std::atomic<bool> stop{false};
    static std::size_t Write(char* d, std::size_t s, std::size_t n, void* self) {
        auto* r = static_cast<StreamReader*>(self);
        std::lock_guard lock(r->mutex);
        r->received.append(d, s * n);
        return s * n;
    }
    static int Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<StreamReader*>(self)->stop.load() ? 1 : 0;
    }
};

TEST_F(HttpServerTest, StreamDeliversASampleProcessedAfterSubscribing) {
    Start();
    StreamReader reader;
    std::thread client([&] {
        CURL* curl = curl_easy_init();
        const std::string url = base_ + "/api/v1/stream";
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, StreamReader::Write);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reader);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, StreamReader::Progress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &reader);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_perform(curl);
        curl_easy_cleanup(curl);
    });
    const auto waitFor = [&](const std::string& text) {
        return testing::WaitFor([&] {
            std::lock_guard lock(reader.mutex);
            return reader.received.find(text) != std::string::npos;
        });
    };
    ASSERT_TRUE(waitFor("retry: 3000"));
    test::Feed(state_, test::Positional("160.5", "125.0", "101.5", "99.0", "ON"), test::kNoon + 6);
    {
        StateGuard guard(state_.lock);
        server_->PublishSample(TakeLiveSnapshot(state_, links_, test::kNoon + 6));
    }
    EXPECT_TRUE(waitFor("\n\n"));
    EXPECT_TRUE(waitFor("event: sample\ndata: "));
    reader.stop = true;
    client.join();
    const std::string& received = reader.received;
    const std::size_t at = received.find("event: sample\ndata: ");
    const std::string data = received.substr(at + 20, received.find('\n', at + 20) - at - 20);
    EXPECT_EQ(json::parse(data)["sample"]["channels"]["collector"]["value"], 160.5);
}

// Opens a raw connection to the server that sends `text` and then stays silent.
int Connect(int port, const std::string& text) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    if (!text.empty()) {
        EXPECT_EQ(send(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
    }
    return fd;
}

TEST_F(HttpServerTest, StuckClientsHoldNoOneAndTheCapRefusesTheRest) {
    HttpSettings settings;
    settings.maxConnections = 4;
    settings.threads = 1;  // one worker: a stuck client would hold everyone if it could
    Start(settings);
    // A request that never ends its headers, and a subscriber that never reads.
    const int half = Connect(server_->Port(), "GET /api/v1/current HTTP/1.1\r\nHost: x");
    const int stalled = Connect(server_->Port(), "GET /api/v1/stream HTTP/1.1\r\nHost: x\r\n\r\n");
    ASSERT_GE(half, 0);
    ASSERT_GE(stalled, 0);
    EXPECT_EQ(HttpGet(base_ + "/api/v1/current").status, 200);
    const int third = Connect(server_->Port(), "");
    const int fourth = Connect(server_->Port(), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // Over the cap: refused at once, not queued.
    const auto refused = HttpGet(base_ + "/api/v1/current");
    EXPECT_EQ(refused.status, 0);
    EXPECT_NE(refused.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(server_->Counters().overCap, 1u);
    for (int fd : {half, stalled, third, fourth}) {
        close(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(HttpGet(base_ + "/api/v1/current").status, 200);
}

TEST(HttpSettings, BadValuesKeepTheirDefaultsAndAreNamed) {
    const toml::table t = toml::parse(R"(
        enabled = false
        bind = "192.168.1.300"
        port = 70000
        token = "has space"
        allow_origin = "https://a.example"
        colour = 3
    )");
    std::vector<std::string> problems;
    const HttpSettings s = ReadHttpSettings(&t, problems);
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(s.bind, "127.0.0.1");
    EXPECT_EQ(s.port, 8080);
    EXPECT_EQ(s.token, "");
    EXPECT_EQ(s.allowOrigin, "https://a.example");
    EXPECT_EQ(problems.size(), 4u);
}

}  // namespace
}  // namespace brennic
