// MQTT publication: what it costs the station's thread per sample (with the broker up and
// with it gone), and how long a controller line takes to reach a subscriber on the broker.
// Needs Debian's mosquitto and openssl (the test fixture starts a broker on 127.0.0.1).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <memory>

#include "core/AppState.h"
#include "core/MessageProcessor.h"
#include "mqtt/MqttPublisher.h"
#include "mqtt/MqttSources.h"
#include "support/MosquittoBroker.h"
#include "support/WaitFor.h"

namespace brennic {
namespace {

constexpr std::time_t kStart = 1767268800;

std::unique_ptr<AppState> Station() {
    auto state = std::make_unique<AppState>();
    state->config.summaryEnable = 0;
    state->config.logData = 0;
    ResetStatistics(*state, kStart);
    return state;
}

std::string Line(int i) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%02d:%02d %5.1f %5.1f 10 180 %5.1f %5.1f ON OFF", i / 60 % 24,
                  i % 60, 150.0 + i % 50 * 0.3, 120.0 + i % 50 * 0.1, 140.0, 130.0);
    return buf;
}

MqttPublisherSetup Setup(const test::MosquittoBroker& broker) {
    MqttPublisherSetup setup;
    setup.settings.host = "127.0.0.1";
    setup.settings.port = broker.port();
    setup.settings.username = test::MosquittoBroker::kUser;
    setup.settings.password = test::MosquittoBroker::kPassword;
    setup.baseTopic = "brennic/bench";
    setup.device = MqttDeviceOf(Config{}, DefaultChannelTable(), "bench", "");
    setup.report = [](const std::string&) {};
    return setup;
}

// The station's part of a publication: the snapshot under the lock and the hand-over.
// Argument 0: broker up; 1: broker gone (the publisher keeps trying to reconnect).
void BM_PublishOnStationThread(benchmark::State& bs) {
    test::MosquittoBroker broker;
    if (!broker.Start()) {
        bs.SkipWithError("mosquitto did not start");
        return;
    }
    MqttPublisher publisher(Setup(broker));
    publisher.Start();
    testing::WaitFor([&] { return publisher.Connected(); });
    if (bs.range(0) == 1) {
        broker.Stop();
        testing::WaitFor([&] { return !publisher.Connected(); });
    }
    auto state = Station();
    for (auto _ : bs) {
        StateGuard guard(state->lock);
        publisher.Offer(MqttSnapshotOf(state->processor, true, false));
    }
    bs.counters["published"] = publisher.Counters().publications;
}
BENCHMARK(BM_PublishOnStationThread)->Arg(0)->Arg(1);

// A whole live line on the station's thread with the publisher attached (0: none, 1: broker
// up, 2: broker gone): the processing rate must not depend on the broker.
void BM_LiveLineWithPublisher(benchmark::State& bs) {
    test::MosquittoBroker broker;
    std::unique_ptr<MqttPublisher> publisher;
    if (bs.range(0) > 0) {
        broker.Start();
        publisher = std::make_unique<MqttPublisher>(Setup(broker));
        publisher->Start();
        testing::WaitFor([&] { return publisher->Connected(); });
        if (bs.range(0) == 2) {
            broker.Stop();
        }
    }
    auto state = Station();
    int i = 0;
    std::vector<std::string> lines;
    for (int k = 0; k < 64; ++k) {
        lines.push_back(Line(k));
    }
    for (auto _ : bs) {
        StateGuard guard(state->lock);
        ++i;
        ProcessLiveLine(*state, lines[static_cast<std::size_t>(i % 64)], kStart + 2 * i);
        if (publisher) {
            publisher->Offer(MqttSnapshotOf(state->processor, true, false));
        }
    }
    bs.SetItemsProcessed(bs.iterations());
}
BENCHMARK(BM_LiveLineWithPublisher)->Arg(0)->Arg(1)->Arg(2);

// From a controller line handed to the processor to its state arriving at a subscriber on
// the broker (loopback). Reports the median and the 95th percentile over all iterations.
void BM_LineToBrokerLatency(benchmark::State& bs) {
    test::MosquittoBroker broker;
    if (!broker.Start()) {
        bs.SkipWithError("mosquitto did not start");
        return;
    }
    std::mutex mutex;
    std::condition_variable arrived;
    int received = 0;
    mosquitto_lib_init();
    mosquitto* sub = mosquitto_new(nullptr, true, nullptr);
    struct Inbox {
        std::mutex* mutex;
        std::condition_variable* arrived;
        int* received;
    } inbox{&mutex, &arrived, &received};
    mosquitto_user_data_set(sub, &inbox);
    mosquitto_username_pw_set(sub, test::MosquittoBroker::kUser, test::MosquittoBroker::kPassword);
    mosquitto_message_callback_set(sub, [](mosquitto*, void* user, const mosquitto_message* m) {
        if (m->retain) {
            return;
        }
        auto* box = static_cast<Inbox*>(user);
        std::lock_guard<std::mutex> guard(*box->mutex);
        ++*box->received;
        box->arrived->notify_one();
    });
    mosquitto_connect(sub, "127.0.0.1", broker.port(), 30);
    mosquitto_subscribe(sub, nullptr, "brennic/bench/state", 0);
    mosquitto_loop_start(sub);

    MqttPublisher publisher(Setup(broker));
    publisher.Start();
    testing::WaitFor([&] { return publisher.Connected(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    auto state = Station();
    std::vector<double> latencies;
    int i = 0;
    for (auto _ : bs) {
        const auto start = std::chrono::steady_clock::now();
        const int before = [&] {
            std::lock_guard<std::mutex> guard(mutex);
            return received;
        }();
        {
            StateGuard guard(state->lock);
            ++i;
            ProcessLiveLine(*state, Line(i), kStart + 2 * i);
            publisher.Offer(MqttSnapshotOf(state->processor, true, false));
        }
        std::unique_lock<std::mutex> lock(mutex);
        if (!arrived.wait_for(lock, std::chrono::seconds(2), [&] { return received > before; })) {
            bs.SkipWithError("a state did not arrive");
            break;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        bs.SetIterationTime(took.count());
        latencies.push_back(took.count() * 1e6);
    }
    publisher.Stop();
    mosquitto_disconnect(sub);
    mosquitto_loop_stop(sub, false);
    mosquitto_destroy(sub);
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        bs.counters["median_us"] = latencies[latencies.size() / 2];
        bs.counters["p95_us"] = latencies[latencies.size() * 95 / 100];
    }
}
BENCHMARK(BM_LineToBrokerLatency)->UseManualTime()->Iterations(500);

}  // namespace
}  // namespace brennic

BENCHMARK_MAIN();
