#include "ui/history/ReportCommand.h"

#include <QGuiApplication>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>

#include "history/HistoryReport.h"
#include "history/HistoryTime.h"
#include "history/ReportChart.h"
#include "ui/history/ChartPainter.h"

namespace brennic {

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int WritePlot(const EnergyReport& report, const std::string& file) {
    const ChartPicture picture = LayoutEnergyChart(report);
    if (EndsWith(file, ".svg")) {
        std::ofstream out(file, std::ios::binary);
        out << ChartSvg(picture);
        out.close();
        if (!out) {
            std::cerr << "Cannot write " << file << "\n";
            return 1;
        }
        return 0;
    }
    // Text needs a GUI application; without a display it is drawn offscreen.
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
        std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    static int argc = 1;
    static char name[] = "brennic";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QGuiApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    if (!ChartImage(picture).save(QString::fromStdString(file), "PNG")) {
        std::cerr << "Cannot write " << file << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int RunReportCommand(const std::string& storePath, const CommandLine& options) {
    const auto period = ParseReportPeriod(options.report);
    std::optional<int> from;
    std::optional<int> to;
    for (auto [text, target, name] :
         {std::tuple{&options.from, &from, "--from"}, std::tuple{&options.to, &to, "--to"}}) {
        if (text->empty()) {
            continue;
        }
        *target = ParseDayText(*text);
        if (!*target) {
            std::cerr << name << " needs a date \"YYYY-MM-DD\", not \"" << *text << "\"\n";
            return 2;
        }
    }
    if (!period) {
        std::cerr << "--report needs day, month or year\n";
        return 2;
    }
    if (!options.plotFile.empty() && !EndsWith(options.plotFile, ".png") &&
        !EndsWith(options.plotFile, ".svg")) {
        std::cerr << "--plot needs a file name ending in .png or .svg\n";
        return 2;
    }
    auto opened = HistoryStore::Open(storePath, HistoryStore::Mode::kReadOnly);
    if (!opened.store) {
        std::cerr << opened.message << "\n";
        return 1;
    }
    EnergyReport report;
    std::string error;
    if (!QueryEnergyReport(*opened.store, *period, from, to, report, error)) {
        std::cerr << "The history store " << storePath << " cannot be read: " << error << "\n";
        return 1;
    }
    if (options.reportFormat == "csv") {
        std::cout << EnergyReportCsv(report);
    } else if (options.reportFormat == "json") {
        std::cout << EnergyReportJson(report);
    } else {
        std::cout << EnergyReportTable(report);
    }
    std::cout.flush();
    return options.plotFile.empty() ? 0 : WritePlot(report, options.plotFile);
}

}  // namespace brennic
