#include "history/HistoryReport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "history/HistoryTime.h"

namespace brennic {

namespace {

using Json = nlohmann::ordered_json;

int PeriodStart(ReportPeriod period, int day) {
    switch (period) {
        case ReportPeriod::kDay:
            return day;
        case ReportPeriod::kMonth:
            return day / 100 * 100 + 1;
        case ReportPeriod::kYear:
            return day / 10000 * 10000 + 101;
    }
    return day;
}

int NextPeriod(ReportPeriod period, int start) {
    switch (period) {
        case ReportPeriod::kDay:
            return NextDay(start);
        case ReportPeriod::kMonth: {
            const int y = start / 10000;
            const int m = start / 100 % 100;
            return m == 12 ? (y + 1) * 10000 + 101 : y * 10000 + (m + 1) * 100 + 1;
        }
        case ReportPeriod::kYear:
            return (start / 10000 + 1) * 10000 + 101;
    }
    return NextDay(start);
}

std::string PeriodLabel(ReportPeriod period, int start) {
    const std::string text = DayText(start);
    return period == ReportPeriod::kDay     ? text
           : period == ReportPeriod::kMonth ? text.substr(0, 7)
                                            : text.substr(0, 4);
}

int MinutesBetween(int firstDay, int nextDay) {
    const std::time_t a = DayStart(firstDay);
    const std::time_t b = DayStart(nextDay);
    return a == -1 || b == -1 ? 0 : static_cast<int>((b - a) / 60);
}

void AddDay(ReportRow& row, const DayRow& d) {
    row.minutesWithData += d.minutesWithData;
    row.collectorBtu += d.collectorBtu;
    row.haBtu += d.haBtu;
    row.pumpOnSeconds += d.pumpOnSeconds;
    row.haPumpOnSeconds += d.haPumpOnSeconds;
    row.pumpCycles += d.pumpStarts;
    row.haPumpCycles += d.haPumpStarts;
    row.maxCollector = std::max(row.maxCollector, d.maxCollector);
    row.maxStorage = std::max(row.maxStorage, d.maxStorage);
}

void AddRow(ReportRow& total, const ReportRow& r) {
    total.minutesWithData += r.minutesWithData;
    total.minutesInPeriod += r.minutesInPeriod;
    total.collectorBtu += r.collectorBtu;
    total.haBtu += r.haBtu;
    total.pumpOnSeconds += r.pumpOnSeconds;
    total.haPumpOnSeconds += r.haPumpOnSeconds;
    total.pumpCycles += r.pumpCycles;
    total.haPumpCycles += r.haPumpCycles;
    total.maxCollector = std::max(total.maxCollector, r.maxCollector);
    total.maxStorage = std::max(total.maxStorage, r.maxStorage);
}

std::string Fixed(double v, int decimals) {
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    return std::string(buffer, r.ptr);
}

}  // namespace

std::vector<std::string> EnergyReportCells(const ReportRow& r) {
    const bool data = r.HasData();
    const auto fraction = r.SolarFraction();
    auto heat = [&](double btu, double scale, int decimals) {
        return data ? Fixed(btu * scale, decimals) : std::string();
    };
    auto temperature = [](float v) { return IsReading(v) ? Fixed(v, 1) : std::string(); };
    return {r.label,
            heat(r.collectorBtu, kKwhPerBtu, 2),
            heat(r.collectorBtu, 1.0, 0),
            heat(r.haBtu, kKwhPerBtu, 2),
            heat(r.haBtu, 1.0, 0),
            fraction ? Fixed(*fraction * 100.0, 1) : std::string(),
            data ? Fixed(static_cast<double>(r.pumpOnSeconds) / 3600.0, 2) : std::string(),
            data ? std::to_string(r.pumpCycles) : std::string(),
            data ? Fixed(static_cast<double>(r.haPumpOnSeconds) / 3600.0, 2) : std::string(),
            data ? std::to_string(r.haPumpCycles) : std::string(),
            temperature(r.maxCollector),
            temperature(r.maxStorage),
            Fixed(r.CoveragePercent(), 1)};
}

const std::vector<std::string>& EnergyReportHeadings() {
    static const std::vector<std::string> kHeadings = {
        "Period",           "Collector kWh", "Collector BTU", "Heat-assist kWh", "Heat-assist BTU",
        "Solar fraction %", "Pump hours",    "Pump cycles",   "HA pump hours",   "HA pump cycles",
        "Max collector F",  "Max storage F", "Coverage %"};
    return kHeadings;
}

namespace {

Json RowJson(const ReportRow& r) {
    const bool data = r.HasData();
    auto opt = [&](double v) { return data ? Json(v) : Json(nullptr); };
    auto temperature = [](float v) {
        return IsReading(v) ? Json(std::round(static_cast<double>(v) * 10.0) / 10.0)
                            : Json(nullptr);
    };
    const auto fraction = r.SolarFraction();
    return Json{{"period", r.label},
                {"from", DayText(r.firstDay)},
                {"to", DayText(r.lastDay)},
                {"collectorKwh", opt(r.collectorBtu * kKwhPerBtu)},
                {"collectorBtu", opt(r.collectorBtu)},
                {"heatAssistKwh", opt(r.haBtu * kKwhPerBtu)},
                {"heatAssistBtu", opt(r.haBtu)},
                {"solarFraction", fraction ? Json(*fraction) : Json(nullptr)},
                {"pumpHours", opt(static_cast<double>(r.pumpOnSeconds) / 3600.0)},
                {"pumpCycles", data ? Json(r.pumpCycles) : Json(nullptr)},
                {"heatAssistPumpHours", opt(static_cast<double>(r.haPumpOnSeconds) / 3600.0)},
                {"heatAssistPumpCycles", data ? Json(r.haPumpCycles) : Json(nullptr)},
                {"maxCollector", temperature(r.maxCollector)},
                {"maxStorage", temperature(r.maxStorage)},
                {"coverage", r.CoveragePercent()},
                {"minutesWithData", r.minutesWithData},
                {"minutesInPeriod", r.minutesInPeriod}};
}

}  // namespace

std::optional<ReportPeriod> ParseReportPeriod(const std::string& text) {
    if (text == "day") {
        return ReportPeriod::kDay;
    }
    if (text == "month") {
        return ReportPeriod::kMonth;
    }
    if (text == "year") {
        return ReportPeriod::kYear;
    }
    return std::nullopt;
}

const char* ReportPeriodName(ReportPeriod period) {
    return period == ReportPeriod::kDay ? "day" : period == ReportPeriod::kMonth ? "month" : "year";
}

double ReportRow::CoveragePercent() const {
    return minutesInPeriod > 0 ? 100.0 * minutesWithData / minutesInPeriod : 0.0;
}

std::optional<double> ReportRow::SolarFraction() const {
    const double sum = collectorBtu + haBtu;
    if (!HasData() || sum <= 0.0) {
        return std::nullopt;
    }
    return std::clamp(collectorBtu / sum, 0.0, 1.0);
}

bool QueryEnergyReport(HistoryStore& store, ReportPeriod period, std::optional<int> fromDay,
                       std::optional<int> toDay, EnergyReport& out, std::string& error) {
    out = EnergyReport{};
    out.period = period;
    out.totals.label = "Total";
    if (!fromDay || !toDay) {
        const auto span = store.DaySpan(error);
        if (!error.empty()) {
            return false;
        }
        if (!span) {
            return true;  // nothing stored yet
        }
        fromDay = fromDay.value_or(std::min(span->first, toDay.value_or(span->first)));
        toDay = toDay.value_or(std::max(span->second, *fromDay));
    }
    if (*toDay < *fromDay) {
        error = "the report ends before it starts";
        return false;
    }
    const int first = PeriodStart(period, *fromDay);
    const int end = NextPeriod(period, PeriodStart(period, *toDay));
    const std::vector<DayRow> days = store.ReadDays(first, end - 1, error);
    if (!error.empty()) {
        return false;
    }
    auto day = days.begin();
    for (int start = first; start != 0 && start < end; start = NextPeriod(period, start)) {
        ReportRow row;
        row.label = PeriodLabel(period, start);
        row.firstDay = start;
        const int next = NextPeriod(period, start);
        for (; day != days.end() && day->day < next; ++day) {
            AddDay(row, *day);
        }
        row.minutesInPeriod = MinutesBetween(start, next);
        row.lastDay = LocalDayNumber(DayStart(next) - 12 * 3600);  // the day before `next`
        AddRow(out.totals, row);
        out.rows.push_back(std::move(row));
    }
    if (!out.rows.empty()) {
        out.fromDay = out.rows.front().firstDay;
        out.toDay = out.rows.back().lastDay;
        out.totals.firstDay = out.fromDay;
        out.totals.lastDay = out.toDay;
    }
    return true;
}

std::string EnergyReportTable(const EnergyReport& report) {
    std::vector<std::vector<std::string>> lines;
    lines.push_back(EnergyReportHeadings());
    for (const ReportRow& r : report.rows) {
        lines.push_back(EnergyReportCells(r));
    }
    lines.push_back(EnergyReportCells(report.totals));
    std::vector<std::size_t> width(EnergyReportHeadings().size(), 0);
    for (const auto& cells : lines) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            width[i] = std::max(width[i], cells[i].size());
        }
    }
    std::string text;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        if (n + 1 == lines.size()) {
            std::size_t total = 0;
            for (std::size_t w : width) {
                total += w + 2;
            }
            text += std::string(total - 2, '-') + "\n";
        }
        for (std::size_t i = 0; i < lines[n].size(); ++i) {
            const std::string& c = lines[n][i];
            const std::string pad(width[i] - c.size(), ' ');
            text += i == 0 ? c + pad : pad + c;  // labels left, numbers right
            text += i + 1 < lines[n].size() ? "  " : "\n";
        }
    }
    return text;
}

std::string EnergyReportCsv(const EnergyReport& report) {
    std::string text;
    auto line = [&text](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            text += cells[i];
            text += i + 1 < cells.size() ? "," : "\n";
        }
    };
    line(EnergyReportHeadings());
    for (const ReportRow& r : report.rows) {
        line(EnergyReportCells(r));
    }
    line(EnergyReportCells(report.totals));
    return text;
}

std::string EnergyReportJson(const EnergyReport& report) {
    Json rows = Json::array();
    for (const ReportRow& r : report.rows) {
        rows.push_back(RowJson(r));
    }
    Json j{{"period", ReportPeriodName(report.period)},
           {"from", report.rows.empty() ? Json(nullptr) : Json(DayText(report.fromDay))},
           {"to", report.rows.empty() ? Json(nullptr) : Json(DayText(report.toDay))},
           {"rows", rows},
           {"totals", RowJson(report.totals)}};
    return j.dump(2) + "\n";
}

}  // namespace brennic
