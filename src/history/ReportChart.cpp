#include "history/ReportChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "history/HistoryTime.h"

namespace brennic {

namespace {

constexpr std::uint32_t kCollectorColor = 0xE8912D;  // solar: warm orange
constexpr std::uint32_t kAssistColor = 0x4F6FA8;     // heat assist: slate blue
constexpr std::uint32_t kCoverageColor = 0x3C8D5A;
constexpr std::uint32_t kGapColor = 0xE4E4E4;
constexpr std::uint32_t kTextColor = 0x222222;
constexpr std::uint32_t kMutedColor = 0x707070;
constexpr std::uint32_t kGridColor = 0xDDDDDD;

// A tick step of 1, 2 or 5 times a power of ten giving about `count` steps up to `top`.
double NiceStep(double top, int count) {
    const double raw = top / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw) {
            return m * power;
        }
    }
    return 10.0 * power;
}

std::string Number(double v, int decimals) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    return buffer;
}

std::string ShortLabel(ReportPeriod period, const ReportRow& row) {
    // Days show month-day: the title carries the year.
    return period == ReportPeriod::kDay ? row.label.substr(5) : row.label;
}

std::uint32_t Blend(std::uint32_t a, std::uint32_t b, double t) {
    auto channel = [&](int shift) {
        const double x = ((a >> shift) & 0xff) * (1.0 - t) + ((b >> shift) & 0xff) * t;
        return static_cast<std::uint32_t>(std::lround(x)) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

std::string Escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

ChartPicture LayoutEnergyChart(const EnergyReport& report, int width, int height) {
    ChartPicture pic;
    pic.width = width;
    pic.height = height;
    const double left = 72;
    const double right = width - 24.0;
    const double top = 78;
    const double bottom = height - 96.0;
    pic.rects.push_back({0, 0, static_cast<double>(width), static_cast<double>(height), 0xFFFFFF});

    // Title and the totals a reader looks for first.
    const char* per = report.period == ReportPeriod::kDay     ? "day"
                      : report.period == ReportPeriod::kMonth ? "month"
                                                              : "year";
    std::string title = std::string("Solar and heat-assist heat per ") + per;
    if (!report.rows.empty()) {
        title += ", " + report.rows.front().label;
        if (report.rows.size() > 1) {
            title += " to " + report.rows.back().label;
        }
    }
    pic.texts.push_back({left, 30, title, 20, -1, kTextColor, true});
    const ReportRow& t = report.totals;
    std::string totals = "No data stored for this range";
    if (t.HasData()) {
        const auto fraction = t.SolarFraction();
        totals = "Collector " + Number(t.collectorBtu * kKwhPerBtu, 0) + " kWh   Heat assist " +
                 Number(t.haBtu * kKwhPerBtu, 0) + " kWh   Solar fraction " +
                 (fraction ? Number(*fraction * 100.0, 0) + " %" : std::string("-")) +
                 "   Coverage " + Number(t.CoveragePercent(), 0) + " %";
    }
    pic.texts.push_back({left, 54, totals, 14, -1, kMutedColor, false});

    // Vertical scale in kWh.
    double maxKwh = 0.0;
    for (const ReportRow& r : report.rows) {
        maxKwh = std::max(maxKwh, (r.collectorBtu + r.haBtu) * kKwhPerBtu);
    }
    const double step = NiceStep(maxKwh > 0 ? maxKwh : 1.0, 5);
    const double scaleTop = std::ceil((maxKwh > 0 ? maxKwh : 1.0) / step) * step;
    const int decimals = step < 1.0 ? (step < 0.1 ? 2 : 1) : 0;
    auto yOf = [&](double kwh) { return bottom - (bottom - top) * kwh / scaleTop; };
    for (double v = 0; v <= scaleTop + step / 2; v += step) {
        pic.rects.push_back({left, yOf(v) - 0.5, right - left, 1, kGridColor});  // under the bars
        pic.texts.push_back({left - 8, yOf(v) + 4, Number(v, decimals), 12, 1, kMutedColor, false});
    }
    pic.texts.push_back({left - 8, top - 12, "kWh", 12, 1, kMutedColor, true});

    // Bars.
    const std::size_t n = std::max<std::size_t>(report.rows.size(), 1);
    const double slot = (right - left) / static_cast<double>(n);
    const double barWidth = std::max(1.0, slot * 0.7);
    const double labelWidth = 7.0 * 12 * 0.6;
    const std::size_t labelEvery =
        std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(labelWidth / slot)));
    const double stripTop = bottom + 26;
    const double stripHeight = 14;
    for (std::size_t i = 0; i < report.rows.size(); ++i) {
        const ReportRow& r = report.rows[i];
        const double x = left + slot * static_cast<double>(i) + (slot - barWidth) / 2;
        const double cx = x + barWidth / 2;
        if (r.HasData()) {
            const double c = r.collectorBtu * kKwhPerBtu;
            const double h = r.haBtu * kKwhPerBtu;
            pic.rects.push_back({x, yOf(c), barWidth, bottom - yOf(c), kCollectorColor});
            pic.rects.push_back({x, yOf(c + h), barWidth, yOf(c) - yOf(c + h), kAssistColor});
            const auto fraction = r.SolarFraction();
            if (fraction && slot >= 40) {
                pic.texts.push_back({cx, yOf(c + h) - 5, Number(*fraction * 100.0, 0) + "%", 11, 0,
                                     kTextColor, false});
            }
        } else if (slot >= 30) {
            pic.texts.push_back({cx, bottom - 6, "no data", 10, 0, kMutedColor, false});
        }
        // Coverage: the strip is filled in proportion, grey where data is missing.
        const double cover = std::clamp(r.CoveragePercent() / 100.0, 0.0, 1.0);
        pic.rects.push_back({x, stripTop, barWidth, stripHeight, kGapColor});
        pic.rects.push_back({x, stripTop, barWidth * cover, stripHeight,
                             Blend(kGapColor, kCoverageColor, 0.35 + 0.65 * cover)});
        if (i % labelEvery == 0) {
            pic.texts.push_back(
                {cx, bottom + 17, ShortLabel(report.period, r), 12, 0, kTextColor, false});
        }
    }
    pic.lines.push_back({left, bottom, right, bottom, kTextColor, 1.5});
    pic.texts.push_back({left - 8, stripTop + 11, "coverage", 11, 1, kMutedColor, false});

    // Legend.
    const double ly = height - 26.0;
    double lx = left;
    for (const auto& [color, text] : {std::pair{kCollectorColor, "Collector (solar) heat"},
                                      std::pair{kAssistColor, "Heat-assist heat"},
                                      std::pair{kCoverageColor, "Data coverage"}}) {
        pic.rects.push_back({lx, ly - 11, 14, 14, color});
        pic.texts.push_back({lx + 20, ly, text, 13, -1, kTextColor, false});
        lx += 20 + static_cast<double>(std::char_traits<char>::length(text)) * 13 * 0.58 + 28;
    }
    if (slot >= 40) {
        pic.texts.push_back({lx, ly, "% above a bar: solar fraction", 13, -1, kMutedColor, false});
    }
    return pic;
}

std::string ChartSvg(const ChartPicture& pic) {
    std::string svg;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
                  "viewBox=\"0 0 %d %d\" font-family=\"DejaVu Sans, sans-serif\">\n",
                  pic.width, pic.height, pic.width, pic.height);
    svg += buffer;
    for (const auto& r : pic.rects) {
        std::snprintf(buffer, sizeof buffer,
                      "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" "
                      "fill=\"#%06X\"/>\n",
                      r.x, r.y, r.w, std::max(0.0, r.h), r.fill);
        svg += buffer;
    }
    for (const auto& l : pic.lines) {
        std::snprintf(buffer, sizeof buffer,
                      "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#%06X\" "
                      "stroke-width=\"%.1f\"/>\n",
                      l.x1, l.y1, l.x2, l.y2, l.color, l.width);
        svg += buffer;
    }
    for (const auto& t : pic.texts) {
        const char* anchor = t.align < 0 ? "start" : t.align > 0 ? "end" : "middle";
        std::snprintf(buffer, sizeof buffer,
                      "<text x=\"%.1f\" y=\"%.1f\" font-size=\"%.0f\" text-anchor=\"%s\" "
                      "fill=\"#%06X\"%s>",
                      t.x, t.y, t.size, anchor, t.color, t.bold ? " font-weight=\"bold\"" : "");
        svg += buffer;
        svg += Escape(t.text) + "</text>\n";
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace brennic
