// Full renders of the main display into a 1920x1080 image, as a window paint does.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <clocale>

#include "support/DisplayTestData.h"
#include "ui/display/Display.h"
#include "ui/display/DisplayLayout.h"

namespace brennic {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// state.range(0): saved samples, all inside the 12-hour view; range(1): 1 = all fifteen
// series, else the default five; range(2): pen width.
void BM_Render(benchmark::State& bench) {
    AppState state;
    const int samples = static_cast<int>(bench.range(0));
    if (bench.range(1) != 0) {
        testdata::GraphEverything(state.config);
    }
    for (int id = 0; id < kChannelCount; ++id) {
        state.channels[id].penWidth = static_cast<int>(bench.range(2));
    }
    const std::time_t end = testdata::kNoon + 12 * 3600 - 60;
    testdata::FillHistory(state, samples, end, std::max(1, (12 * 3600 - 120) / samples));
    state.processor.chartOrigin = testdata::kNoon;

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    DisplayLayout layout;
    Layout(layout, state.config, MeasureFont(MakeDisplayFont(state.font), &image), kWidth, kHeight);
    RenderOptions options;
    options.now = end;
    for (auto _ : bench) {
        image.fill(Qt::white);
        QPainter painter(&image);
        Render(state, layout, painter, options);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_Render)
    ->ArgNames({"samples", "all", "pen"})
    ->Args({2000, 0, 1})
    ->Args({2000, 0, 3})
    ->Args({20000, 1, 1})
    ->Args({20000, 1, 3})
    ->Unit(benchmark::kMillisecond);

// A two-week history of one sample a minute with the view on its last 12 hours: the walk
// starts at the first sample in view.
void BM_RenderLongHistory(benchmark::State& bench) {
    AppState state;
    testdata::GraphEverything(state.config);
    const std::time_t end = testdata::kNoon + 14 * 86400;
    testdata::FillHistory(state, 20000, end, 60);
    state.chart.viewStart = end - 11 * 3600;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    DisplayLayout layout;
    Layout(layout, state.config, MeasureFont(MakeDisplayFont(state.font), &image), kWidth, kHeight);
    RenderOptions options;
    options.now = end;
    for (auto _ : bench) {
        image.fill(Qt::white);
        QPainter painter(&image);
        Render(state, layout, painter, options);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RenderLongHistory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brennic

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
