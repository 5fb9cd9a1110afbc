#include "http/HistoryQuery.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/LocalTime.h"
#include "http/LiveSnapshot.h"

namespace brennic {

namespace {

bool ReadInt(std::string_view text, long long& value) {
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    return r.ec == std::errc() && r.ptr == end && !text.empty();
}

bool TwoDigits(std::string_view t, std::size_t at, int& value) {
    if (at + 2 > t.size() || t[at] < '0' || t[at] > '9' || t[at + 1] < '0' || t[at + 1] > '9') {
        return false;
    }
    value = (t[at] - '0') * 10 + (t[at + 1] - '0');
    return true;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool Append(std::string& out, float v) {
    if (!IsReading(v) || v == kDayMinStart) {
        return false;
    }
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, r.ptr);
    return true;
}

}  // namespace

std::optional<std::time_t> ParseApiTime(const std::string& text) {
    long long epoch = 0;
    if (ReadInt(text, epoch)) {
        return static_cast<std::time_t>(epoch);
    }
    // YYYY-MM-DDTHH:MM:SS[Z|+HH:MM|-HH:MM] (a space may stand for the T)
    const std::string_view t = text;
    int c1 = 0, c2 = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (t.size() < 19 || !TwoDigits(t, 0, c1) || !TwoDigits(t, 2, c2) || t[4] != '-' ||
        !TwoDigits(t, 5, month) || t[7] != '-' || !TwoDigits(t, 8, day) ||
        (t[10] != 'T' && t[10] != ' ') || !TwoDigits(t, 11, hour) || t[13] != ':' ||
        !TwoDigits(t, 14, minute) || t[16] != ':' || !TwoDigits(t, 17, second)) {
        return std::nullopt;
    }
    const int year = c1 * 100 + c2;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] || hour > 23 || minute > 59 ||
        second > 60) {
        return std::nullopt;
    }
    const std::string_view zone = t.substr(19);
    if (zone.empty()) {
        std::tm local{};
        local.tm_year = year - 1900;
        local.tm_mon = month - 1;
        local.tm_mday = day;
        local.tm_hour = hour;
        local.tm_min = minute;
        local.tm_sec = second;
        local.tm_isdst = -1;
        const std::time_t r = FromLocalTime(local);
        return r == -1 ? std::nullopt : std::optional<std::time_t>(r);
    }
    long long offset = 0;
    if (zone != "Z") {
        int oh = 0, om = 0;
        if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || !TwoDigits(zone, 1, oh) ||
            zone[3] != ':' || !TwoDigits(zone, 4, om) || oh > 23 || om > 59) {
            return std::nullopt;
        }
        offset = (oh * 3600LL + om * 60LL) * (zone[0] == '-' ? -1 : 1);
    }
    const long long days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return static_cast<std::time_t>(days * 86400 + hour * 3600LL + minute * 60LL + second - offset);
}

std::optional<HistoryQuery> ParseHistoryQuery(const std::map<std::string, std::string>& params,
                                              const std::string& accept, std::time_t now,
                                              std::string& error) {
    static const char* const kKnown[] = {"from", "to", "channels", "step", "format", "token"};
    for (const auto& param : params) {
        // A named reference: clang before 16 cannot capture a structured binding.
        const std::string& key = param.first;
        if (std::find_if(std::begin(kKnown), std::end(kKnown),
                         [&](const char* k) { return key == k; }) == std::end(kKnown)) {
            error = "unknown parameter: " + key;
            return std::nullopt;
        }
    }
    HistoryQuery q;
    q.to = now;
    const auto read = [&](const char* key, std::time_t& value) {
        const auto it = params.find(key);
        if (it == params.end()) {
            return true;
        }
        const auto t = ParseApiTime(it->second);
        if (!t) {
            error = std::string(key) + ": cannot read \"" + it->second +
                    "\" as epoch seconds or YYYY-MM-DDTHH:MM:SS[+HH:MM]";
            return false;
        }
        value = *t;
        return true;
    };
    if (!read("to", q.to)) {
        return std::nullopt;
    }
    q.from = q.to - 24 * 3600;
    if (!read("from", q.from)) {
        return std::nullopt;
    }
    if (q.from > q.to) {
        error = "from is after to";
        return std::nullopt;
    }
    if (const auto it = params.find("step"); it != params.end()) {
        long long step = 0;
        if (!ReadInt(it->second, step) || step < 0 || step > 86400 * 366) {
            error = "step: expected whole seconds from 0 to 31622400";
            return std::nullopt;
        }
        q.step = static_cast<int>(step);
    }
    if (const auto it = params.find("channels"); it != params.end()) {
        std::string_view rest = it->second;
        std::vector<bool> chosen(kSlotCount, false);
        while (true) {
            const std::size_t comma = rest.find(',');
            const std::string_view name = rest.substr(0, comma);
            const auto& keys = SlotKeys();
            const auto k = std::find_if(keys.begin(), keys.end(),
                                        [&](const SlotKey& s) { return name == s.key; });
            if (k == keys.end()) {
                error = "unknown channel: \"" + std::string(name) + "\"";
                return std::nullopt;
            }
            chosen[static_cast<std::size_t>(k->slot)] = true;
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
        for (const SlotKey& k : SlotKeys()) {
            if (chosen[static_cast<std::size_t>(k.slot)]) {
                q.slots.push_back(k.slot);
            }
        }
    } else {
        for (const SlotKey& k : SlotKeys()) {
            q.slots.push_back(k.slot);
        }
    }
    if (const auto it = params.find("format"); it != params.end()) {
        if (it->second != "json" && it->second != "csv") {
            error = "format: expected json or csv";
            return std::nullopt;
        }
        q.csv = it->second == "csv";
    } else {
        q.csv = accept.find("text/csv") != std::string::npos;
    }
    return q;
}

HistoryAnswer::HistoryAnswer(HistoryQuery query, std::vector<Sample> samples)
    : query_(std::move(query)), samples_(std::move(samples)) {}

const char* HistoryAnswer::ContentType() const {
    return query_.csv ? "text/csv; charset=utf-8" : "application/json";
}

void HistoryAnswer::AppendRow(const Sample& s) {
    const std::string iso = IsoTime(s.time);
    char epoch[24];
    const auto r = std::to_chars(epoch, epoch + sizeof epoch, static_cast<long long>(s.time));
    const std::string_view epochText(epoch, static_cast<std::size_t>(r.ptr - epoch));
    const auto& keys = SlotKeys();
    if (query_.csv) {
        pending_ += iso;
        pending_ += ',';
        pending_ += epochText;
        for (int slot : query_.slots) {
            pending_ += ',';
            Append(pending_, s[slot]);  // an empty cell: no reading
        }
        pending_ += "\r\n";
        return;
    }
    pending_ += firstRow_ ? "\n{\"time\":\"" : ",\n{\"time\":\"";
    pending_ += iso;
    pending_ += "\",\"epoch\":";
    pending_ += epochText;
    for (int slot : query_.slots) {
        pending_ += ",\"";
        pending_ += keys[static_cast<std::size_t>(slot - 1)].key;
        pending_ += "\":";
        if (!Append(pending_, s[slot])) {
            pending_ += "null";
        }
    }
    pending_ += '}';
}

bool HistoryAnswer::Fill(std::size_t want) {
    const auto& keys = SlotKeys();
    if (!headerDone_) {
        headerDone_ = true;
        if (query_.csv) {
            pending_ += "time,epoch";
            for (int slot : query_.slots) {
                pending_ += ',';
                pending_ += keys[static_cast<std::size_t>(slot - 1)].key;
            }
            pending_ += "\r\n";
        } else {
            pending_ += "{\"from\":" + std::to_string(query_.from) +
                        ",\"to\":" + std::to_string(query_.to) +
                        ",\"step\":" + std::to_string(query_.step) + ",\"units\":{";
            for (std::size_t i = 0; i < query_.slots.size(); ++i) {
                const SlotKey& k = keys[static_cast<std::size_t>(query_.slots[i] - 1)];
                pending_ += (i == 0 ? "\"" : ",\"") + std::string(k.key) + "\":\"" + k.unit + "\"";
            }
            pending_ += "},\"samples\":[";
        }
    }
    while (pending_.size() - pendingPos_ < want && next_ < samples_.size()) {
        const Sample& s = samples_[next_++];
        if (query_.step > 0 && !firstRow_ && s.time < lastKept_ + query_.step) {
            continue;
        }
        AppendRow(s);
        firstRow_ = false;
        lastKept_ = s.time;
    }
    if (next_ == samples_.size() && !footerDone_ && pending_.size() - pendingPos_ < want) {
        footerDone_ = true;
        if (!query_.csv) {
            pending_ += "\n]}\n";
        }
    }
    return pending_.size() > pendingPos_;
}

std::size_t HistoryAnswer::Read(char* out, std::size_t max) {
    if (!Fill(max)) {
        return 0;
    }
    const std::size_t n = std::min(max, pending_.size() - pendingPos_);
    std::memcpy(out, pending_.data() + pendingPos_, n);
    pendingPos_ += n;
    if (pendingPos_ == pending_.size()) {
        pending_.clear();
        pendingPos_ = 0;
    }
    return n;
}

}  // namespace brennic
