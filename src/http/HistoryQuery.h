#pragma once

#include <cstddef>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Sample.h"

namespace brennic {

// A checked /api/v1/history request.
struct HistoryQuery {
    std::time_t from = 0;
    std::time_t to = 0;
    std::vector<int> slots;  // the chosen channels' slots, in slot order
    int step = 0;            // seconds between kept samples; 0 keeps all
    bool csv = false;
};

// Reads from=, to= (epoch seconds, or "YYYY-MM-DDTHH:MM:SS" local, with "Z" or "+HH:MM"),
// channels= (comma-separated keys; all when absent), step= (seconds) and format=json|csv
// (else Accept: text/csv chooses CSV). `now` is the default `to`; `from` defaults to 24 hours
// before `to`. Returns nullopt and sets `error` for a bad value. Pure; any thread.
std::optional<HistoryQuery> ParseHistoryQuery(const std::map<std::string, std::string>& params,
                                              const std::string& accept, std::time_t now,
                                              std::string& error);

// Reads a time as ParseHistoryQuery does; nullopt when it cannot.
std::optional<std::time_t> ParseApiTime(const std::string& text);

// Writes the answer a piece at a time, so a long history never sits in memory as text. One
// reader at a time (the server's connection).
class HistoryAnswer {
  public:
    HistoryAnswer(HistoryQuery query, std::vector<Sample> samples);

    // Copies up to `max` further bytes to `out`; 0 at the end.
    std::size_t Read(char* out, std::size_t max);

    const char* ContentType() const;

  private:
    void AppendRow(const Sample& s);
    bool Fill(std::size_t want);

    HistoryQuery query_;
    std::vector<Sample> samples_;
    std::size_t next_ = 0;
    bool headerDone_ = false;
    bool footerDone_ = false;
    bool firstRow_ = true;
    std::time_t lastKept_ = 0;
    std::string pending_;
    std::size_t pendingPos_ = 0;
};

}  // namespace brennic
