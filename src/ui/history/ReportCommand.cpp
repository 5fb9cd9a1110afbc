#include "ui/history/ReportCommand.h"

#include <QGuiApplication>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "history/ReportChart.h"
#include "ui/history/ChartPainter.h"

namespace brennic {

int WritePngPlot(const EnergyReport& report, const std::string& file) {
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
    if (!ChartImage(LayoutEnergyChart(report)).save(QString::fromStdString(file), "PNG")) {
        std::cerr << "Cannot write " << file << "\n";
        return 1;
    }
    return 0;
}

int RunReportCommand(const std::string& storePath, const CommandLine& options) {
    return RunReportCommand(storePath, options, WritePngPlot);
}

}  // namespace brennic
