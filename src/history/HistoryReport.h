#pragma once

#include <optional>
#include <string>
#include <vector>

#include "history/HistoryStore.h"

namespace brennic {

enum class ReportPeriod { kDay, kMonth, kYear };

// "day" | "month" | "year".
std::optional<ReportPeriod> ParseReportPeriod(const std::string& text);
const char* ReportPeriodName(ReportPeriod period);

// One period of an energy report (or the totals of all of them).
struct ReportRow {
    std::string label;  // "2009-06-01", "2009-06", "2009"; "Total"
    int firstDay = 0;   // YYYYMMDD
    int lastDay = 0;
    int minutesWithData = 0;
    int minutesInPeriod = 0;
    double collectorBtu = 0.0;
    double haBtu = 0.0;
    long long pumpOnSeconds = 0;
    long long haPumpOnSeconds = 0;
    int pumpCycles = 0;
    int haPumpCycles = 0;
    float maxCollector = kNoReading;  // °F
    float maxStorage = kNoReading;

    // A period without a single sample has no heat figure at all (not zero).
    bool HasData() const { return minutesWithData > 0; }
    double CoveragePercent() const;
    // Collector heat / (collector + heat-assist heat); nullopt when both are 0 or no data.
    std::optional<double> SolarFraction() const;
};

struct EnergyReport {
    ReportPeriod period = ReportPeriod::kMonth;
    int fromDay = 0;  // first day of the first period
    int toDay = 0;    // last day of the last period
    std::vector<ReportRow> rows;
    ReportRow totals;
};

// The report query: every period from the one holding `fromDay` to the one holding `toDay`
// (YYYYMMDD; nullopt: the first / last stored day), with periods without data included.
// An empty store gives no rows. This is the one query the window, the command line and the
// dashboard use. Any thread, with a store object of its own; blocks on the disk.
bool QueryEnergyReport(HistoryStore& store, ReportPeriod period, std::optional<int> fromDay,
                       std::optional<int> toDay, EnergyReport& out, std::string& error);

// Column headings and the printed cells of one row (empty where a figure does not exist),
// shared by the table, the CSV and the window's table.
const std::vector<std::string>& EnergyReportHeadings();
std::vector<std::string> EnergyReportCells(const ReportRow& row);

// The report as an aligned text table, as CSV (header line, one line per period, a "Total"
// line) and as JSON. Numbers are locale-free.
std::string EnergyReportTable(const EnergyReport& report);
std::string EnergyReportCsv(const EnergyReport& report);
std::string EnergyReportJson(const EnergyReport& report);

}  // namespace brennic
