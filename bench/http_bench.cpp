// The dashboard server's costs: 24 hours of 2-s samples as JSON (formatting alone and over
// HTTP), the delay from a processed sample to its event at a subscriber, and the processing
// rate with and without 200 subscribers holding /api/v1/stream.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/AppState.h"
#include "core/MessageProcessor.h"
#include "http/HistoryQuery.h"
#include "http/HttpServer.h"

namespace brennic {
namespace {

constexpr std::time_t kStart = 1243850000;
constexpr int kDaySamples = 43200;  // 24 h of 2-s samples

std::vector<Sample> DayOfSamples() {
    std::vector<Sample> samples(kDaySamples);
    for (int i = 0; i < kDaySamples; ++i) {
        Sample& s = samples[static_cast<std::size_t>(i)];
        s.time = kStart + 2 * i;
        for (int slot = 1; slot < kSlotCount; ++slot) {
            s[slot] = 100.0f + static_cast<float>((i * 7 + slot * 13) % 900) / 10.0f;
        }
    }
    return samples;
}

HistoryQuery AllChannels() {
    HistoryQuery q;
    q.from = kStart;
    q.to = kStart + 2 * kDaySamples;
    for (int slot = 1; slot < kSlotCount; ++slot) {
        q.slots.push_back(slot);
    }
    return q;
}

void BM_HistoryJsonFormat(benchmark::State& state) {
    const std::vector<Sample> samples = DayOfSamples();
    std::vector<char> buffer(64 * 1024);
    std::size_t bytes = 0;
    for (auto _ : state) {
        HistoryAnswer writer(AllChannels(), samples);
        bytes = 0;
        while (const std::size_t n = writer.Read(buffer.data(), buffer.size())) {
            bytes += n;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_HistoryJsonFormat)->Unit(benchmark::kMillisecond);

std::size_t CountBytes(char*, std::size_t size, std::size_t count, void* total) {
    *static_cast<std::size_t*>(total) += size * count;
    return size * count;
}

// The whole request: query, copy of the samples, formatting and transfer to a libcurl client.
void BM_HistoryJsonOverHttp(benchmark::State& state) {
    const std::vector<Sample> samples = DayOfSamples();
    AppState app;
    HttpSources sources = AppStateSources(app, {});
    sources.history = [&samples](std::time_t from, std::time_t to) {
        std::vector<Sample> out;
        for (const Sample& s : samples) {
            if (s.time >= from && s.time <= to) {
                out.push_back(s);
            }
        }
        return out;
    };
    HttpSettings settings;
    settings.port = 0;
    HttpServer server(settings, std::move(sources));
    std::string error;
    if (!server.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::string url = server.Url() + "api/v1/history?from=" + std::to_string(kStart) +
                            "&to=" + std::to_string(kStart + 2 * kDaySamples);
    CURL* curl = curl_easy_init();
    std::size_t bytes = 0;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CountBytes);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &bytes);
    for (auto _ : state) {
        bytes = 0;
        curl_easy_perform(curl);
    }
    curl_easy_cleanup(curl);
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_HistoryJsonOverHttp)->Unit(benchmark::kMillisecond)->UseRealTime();

// A subscriber of /api/v1/stream on a plain socket.
int Subscribe(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    const char request[] = "GET /api/v1/stream HTTP/1.1\r\nHost: bench\r\n\r\n";
    if (send(fd, request, sizeof request - 1, 0) != static_cast<ssize_t>(sizeof request - 1)) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads `fd` until `text` has arrived (or 2 s passed).
bool ReadUntil(int fd, const std::string& text, std::string& seen) {
    char buffer[8192];
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (seen.find(text) == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (std::chrono::steady_clock::now() > end || poll(&p, 1, 100) < 0) {
            return false;
        }
        if (p.revents & POLLIN) {
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                return false;
            }
            seen.append(buffer, static_cast<std::size_t>(n));
        }
    }
    return true;
}

std::string Line(int i) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%02d:%02d %5.1f %5.1f 10 180 %5.1f %5.1f %s OFF", i / 60 % 24,
                  i % 60, 150.0 + i % 64 * 0.3, 120.0 + i % 64 * 0.1, 140.0, 130.0,
                  (i % 16) < 12 ? "ON" : "OFF");
    return buf;
}

// One controller line processed as the window does, then its snapshot handed to the stream.
void ProcessAndPublish(AppState& app, HttpServer& server, int i) {
    StateGuard guard(app.lock);
    ProcessRecordedLine(app, Line(i).c_str(), nullptr, kStart + 2 * i);
    server.PublishSample(TakeLiveSnapshot(app, LiveLinks{}, kStart + 2 * i));
}

void BM_SampleToStreamEvent(benchmark::State& state) {
    AppState app;
    app.config.logData = 0;
    app.config.summaryEnable = 0;
    ResetStatistics(app, kStart);
    HttpSettings settings;
    settings.port = 0;
    HttpServer server(settings, AppStateSources(app, {}));
    std::string error;
    if (!server.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int fd = Subscribe(server.Port());
    std::string seen;
    ReadUntil(fd, "retry: 3000\n\n", seen);
    std::vector<double> delays;
    int i = 0;
    for (auto _ : state) {
        seen.clear();
        const auto start = std::chrono::steady_clock::now();
        ProcessAndPublish(app, server, i++);
        if (!ReadUntil(fd, "event: sample", seen) || !ReadUntil(fd, "\n\n", seen)) {
            state.SkipWithError("no event");
            break;
        }
        const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(d.count());
        delays.push_back(d.count() * 1000.0);
    }
    close(fd);
    if (!delays.empty()) {
        std::sort(delays.begin(), delays.end());
        state.counters["median_ms"] = delays[delays.size() / 2];
        state.counters["p90_ms"] = delays[delays.size() * 9 / 10];
    }
}
BENCHMARK(BM_SampleToStreamEvent)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

// Processing on the caller's thread while `range(0)` subscribers hold the stream; a drain
// thread reads their sockets as browsers would.
void BM_ProcessingWithSubscribers(benchmark::State& state) {
    AppState app;
    app.config.logData = 0;
    app.config.summaryEnable = 0;
    ResetStatistics(app, kStart);
    HttpSettings settings;
    settings.port = 0;
    settings.maxConnections = 512;
    HttpServer server(settings, AppStateSources(app, {}));
    std::string error;
    if (!server.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<int> fds;
    for (int n = 0; n < state.range(0); ++n) {
        fds.push_back(Subscribe(server.Port()));
    }
    std::atomic<bool> stop{false};
    std::thread drain([&] {
        std::vector<pollfd> polls;
        for (int fd : fds) {
            polls.push_back({fd, POLLIN, 0});
        }
        char buffer[16384];
        while (!stop) {
            if (poll(polls.data(), polls.size(), 50) > 0) {
                for (auto& p : polls) {
                    if (p.revents & POLLIN) {
                        (void)!recv(p.fd, buffer, sizeof buffer, 0);
                    }
                }
            } else if (polls.empty()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
    });
    while (server.Counters().streamClients < fds.size()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    int i = 0;
    for (auto _ : state) {
        ProcessAndPublish(app, server, i++);
    }
    stop = true;
    drain.join();
    state.counters["subscribers"] = static_cast<double>(server.Counters().streamClients);
    state.counters["dropped"] = static_cast<double>(server.Counters().droppedStreams);
    for (int fd : fds) {
        close(fd);
    }
}
BENCHMARK(BM_ProcessingWithSubscribers)->Arg(0)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brennic

BENCHMARK_MAIN();
