#include "cli/CommandLine.h"

#include <charconv>

namespace brennic {

namespace {

bool ParseInt(const std::string& text, int& out) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

}  // namespace

std::optional<std::string> ParseCommandLine(const std::vector<std::string>& args,
                                            CommandLine& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& field) -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                return "Missing value after " + a;
            }
            field = args[++i];
            return std::nullopt;
        };
        auto number = [&](int& field, int min) -> std::optional<std::string> {
            std::string text;
            if (auto e = value(text)) {
                return e;
            }
            if (!ParseInt(text, field) || field < min) {
                return "Bad number for " + a + ": " + text;
            }
            return std::nullopt;
        };
        std::optional<std::string> error;
        if (a == "--config-dir") {
            error = value(out.configDir);
        } else if (a == "--demo") {
            out.demo = true;
        } else if (a == "--screenshot") {
            error = value(out.screenshotFile);
        } else if (a == "--after") {
            error = number(out.screenshotAfter, 0);
        } else if (a == "--sun") {
            error = value(out.sunTime);
        } else if (a == "--replay-datarecorder") {
            error = value(out.replayDataRecorder);
        } else if (a == "--replay-log") {
            error = value(out.replayLog);
        } else if (a == "--replay-capture") {
            error = value(out.replayCapture);
        } else if (a == "--from") {
            error = value(out.from);
        } else if (a == "--to") {
            error = value(out.to);
        } else if (a == "--fast-access") {
            out.fastAccess = true;
        } else if (a == "--start") {
            error = value(out.start);
        } else if (a == "--interval") {
            error = number(out.interval, 1);
        } else if (a == "--write-pages") {
            error = value(out.writePagesDir);
        } else if (a == "--headless") {
            out.headless = true;
        } else if (a == "--import") {
            // Every following argument up to the next option is a file.
            while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
                out.importFiles.push_back(args[++i]);
            }
            if (out.importFiles.empty()) {
                error = "Missing file after --import";
            }
        } else if (a == "--report") {
            error = value(out.report);
            if (!error && out.report != "day" && out.report != "month" && out.report != "year") {
                error = "--report needs day, month or year, not " + out.report;
            }
        } else if (a == "--format") {
            error = value(out.reportFormat);
            if (!error && out.reportFormat != "table" && out.reportFormat != "csv" &&
                out.reportFormat != "json") {
                error = "--format needs table, csv or json, not " + out.reportFormat;
            }
        } else if (a == "--plot") {
            error = value(out.plotFile);
        } else if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--version") {
            out.version = true;
        } else {
            error = "Unknown option " + a;
        }
        if (error) {
            return error;
        }
    }
    if (!out.replayCapture.empty() && (out.start.empty() || out.interval <= 0)) {
        return std::string("--replay-capture needs --start and --interval");
    }
    return std::nullopt;
}

std::string CommandLineHelp(const std::string& programName) {
    return "Usage: " + programName +
           " [options]\n"
           "  --config-dir DIR              read and write Config.Txt in DIR\n"
           "  --demo                        start with live test data\n"
           "  --screenshot FILE             write the window picture (.jpg or .bmp) and exit\n"
           "  --after SECONDS               with --demo: wait this long first (default 10)\n"
           "  --sun \"YYYY-MM-DD HH:MM:SS\"   print the sun and array figures as JSON\n"
           "  --replay-datarecorder FILE    replay a Data Recorder log, print a JSON report\n"
           "  --replay-log FILE             replay a Brennic daily log, print a JSON report\n"
           "  --replay-capture FILE         replay a terminal capture (needs --start, "
           "--interval)\n"
           "  --from, --to \"YYYY-MM-DD HH:MM:SS\"  record range of a replay\n"
           "  --fast-access                 jump to the range start (Data Recorder and own logs)\n"
           "  --start \"YYYY-MM-DD HH:MM:SS\" time of the first captured line\n"
           "  --interval SECONDS            seconds between captured lines\n"
           "  --write-pages DIR             write BRN_Stats.htm and BRN_Probes.htm and exit\n"
           "  --headless                    log unattended as a service, without a window\n"
           "  --import FILE...              add logs, Data Recorder files or captures (with\n"
           "                                --start, --interval) to the history store\n"
           "  --report day|month|year       energy report from the history store; --from and\n"
           "                                --to \"YYYY-MM-DD\" limit it\n"
           "  --format table|csv|json       the report's form (default table)\n"
           "  --plot FILE.png|FILE.svg      also draw the report as a bar chart\n"
           "  --version                     print the version\n";
}

}  // namespace brennic
