#include "history/ReportCommand.h"

#include <fstream>
#include <iostream>

#include "history/HistoryTime.h"
#include "history/ReportChart.h"

namespace brennic {

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int WritePlot(const EnergyReport& report, const std::string& file, const PngPlotFn& pngPlot) {
    if (!EndsWith(file, ".svg")) {
        if (!pngPlot) {
            std::cerr << "Cannot write " << file << "\n";
            return 1;
        }
        return pngPlot(report, file);
    }
    std::ofstream out(file, std::ios::binary);
    out << ChartSvg(LayoutEnergyChart(report));
    out.close();
    if (!out) {
        std::cerr << "Cannot write " << file << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

bool WantsPngPlot(const CommandLine& options) {
    return !options.plotFile.empty() && EndsWith(options.plotFile, ".png");
}

int RunReportCommand(const std::string& storePath, const CommandLine& options,
                     const PngPlotFn& pngPlot) {
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
    return options.plotFile.empty() ? 0 : WritePlot(report, options.plotFile, pngPlot);
}

}  // namespace brennic
