#include "history/HistoryStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>

#include "history/HistoryTime.h"
#include "logs/TimeText.h"

namespace brennic {

namespace {

// Each step brings the layout from version i to i + 1; a new layout adds a step, never edits one.
constexpr const char* kMigrations[] = {
    // 1: minute and day rows.
    "CREATE TABLE minute(minute INTEGER PRIMARY KEY, samples INTEGER NOT NULL,"
    " channels BLOB, collector_btu REAL NOT NULL, ha_btu REAL NOT NULL,"
    " pump_on_s INTEGER NOT NULL, ha_pump_on_s INTEGER NOT NULL,"
    " pump_starts INTEGER NOT NULL, ha_pump_starts INTEGER NOT NULL);"
    "CREATE TABLE day(day INTEGER PRIMARY KEY, collector_btu REAL NOT NULL,"
    " ha_btu REAL NOT NULL, pump_on_s INTEGER NOT NULL, ha_pump_on_s INTEGER NOT NULL,"
    " pump_starts INTEGER NOT NULL, ha_pump_starts INTEGER NOT NULL, max_collector REAL,"
    " max_storage REAL, minutes INTEGER NOT NULL, samples INTEGER NOT NULL);",
    // 2: the files imported, so that a second import of one is recognised.
    "CREATE TABLE imported(fingerprint TEXT PRIMARY KEY, path TEXT NOT NULL,"
    " size INTEGER NOT NULL, first_time INTEGER NOT NULL, last_time INTEGER NOT NULL,"
    " records INTEGER NOT NULL, imported_at INTEGER NOT NULL);",
};
static_assert(std::size(kMigrations) == HistoryStore::kSchemaVersion);

// A prepared statement that finalises itself.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool Ok() const { return rc_ == SQLITE_OK; }
    sqlite3_stmt* operator*() const { return s_; }
    void Bind(int i, long long v) { sqlite3_bind_int64(s_, i, v); }
    void Bind(int i, double v) { sqlite3_bind_double(s_, i, v); }
    void Bind(int i, const std::string& v) {
        sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    void BindBlob(int i, const std::string& v) {
        sqlite3_bind_blob(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    void BindOptional(int i, float v) {
        if (IsReading(v)) {
            sqlite3_bind_double(s_, i, static_cast<double>(v));
        } else {
            sqlite3_bind_null(s_, i);
        }
    }
    int Step() { return sqlite3_step(s_); }
    void Reset() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    long long Int(int i) const { return sqlite3_column_int64(s_, i); }
    double Real(int i) const { return sqlite3_column_double(s_, i); }
    float OptionalFloat(int i) const {
        return sqlite3_column_type(s_, i) == SQLITE_NULL ? kNoReading : static_cast<float>(Real(i));
    }
    std::string Text(int i) const {
        const auto* p = sqlite3_column_text(s_, i);
        return p ? std::string(reinterpret_cast<const char*>(p)) : std::string();
    }

  private:
    sqlite3_stmt* s_ = nullptr;
    int rc_ = SQLITE_ERROR;
};

std::string ErrorText(sqlite3* db) {
    return sqlite3_errmsg(db);
}

bool Exec(sqlite3* db, const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        error = message != nullptr ? message : ErrorText(db);
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool IsDamage(int rc) {
    const int primary = rc & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

bool FlowChannel(std::size_t i) {
    return kHistoryChannels[i] == kSlotFlow || kHistoryChannels[i] == kSlotHaFlow;
}

std::int16_t Scaled(double v, double scale) {
    const double s = std::round(v * scale);
    return static_cast<std::int16_t>(std::clamp(s, -32767.0, 32767.0));
}

void Put16(std::string& out, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    out.push_back(static_cast<char>(u & 0xff));
    out.push_back(static_cast<char>(u >> 8));
}

std::uint16_t Get16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Combines a stored minute (`into`) with a further part of the same minute.
void MergeMinute(MinuteRow& into, const MinuteRow& more) {
    for (std::size_t i = 0; i < into.channels.size(); ++i) {
        ChannelMinute& a = into.channels[i];
        const ChannelMinute& b = more.channels[i];
        if (b.count == 0) {
            continue;
        }
        a.min = a.count == 0 ? b.min : std::min(a.min, b.min);
        a.max = a.count == 0 ? b.max : std::max(a.max, b.max);
        a.sum += b.sum;
        a.count += b.count;
    }
    into.samples += more.samples;
    into.collectorBtu += more.collectorBtu;
    into.haBtu += more.haBtu;
    into.pumpOnSeconds += more.pumpOnSeconds;
    into.haPumpOnSeconds += more.haPumpOnSeconds;
    into.pumpStarts += more.pumpStarts;
    into.haPumpStarts += more.haPumpStarts;
}

float ChannelMax(const MinuteRow& row, int slot) {
    for (std::size_t i = 0; i < kHistoryChannels.size(); ++i) {
        if (kHistoryChannels[i] == slot) {
            return row.channels[i].count > 0 ? row.channels[i].max : kNoReading;
        }
    }
    return kNoReading;
}

std::string AsideName(const std::string& path) {
    return path + ".damaged-" + FormatTime("%Y%m%d-%H%M%S", std::time(nullptr));
}

}  // namespace

std::string EncodeChannels(const MinuteRow& row) {
    std::string out;
    std::uint16_t mask = 0;
    for (std::size_t i = 0; i < row.channels.size(); ++i) {
        if (row.channels[i].count > 0) {
            mask = static_cast<std::uint16_t>(mask | (1u << i));
        }
    }
    out.reserve(2 + 6 * row.channels.size());
    Put16(out, static_cast<std::int16_t>(mask));
    for (std::size_t i = 0; i < row.channels.size(); ++i) {
        const ChannelMinute& c = row.channels[i];
        if (c.count == 0) {
            continue;
        }
        const double scale = FlowChannel(i) ? 100.0 : 10.0;
        Put16(out, Scaled(c.min, scale));
        Put16(out, Scaled(c.sum / c.count, scale));
        Put16(out, Scaled(c.max, scale));
    }
    return out;
}

void DecodeChannels(const void* data, std::size_t size, int samples, MinuteRow& row) {
    row.channels = {};
    const auto* p = static_cast<const unsigned char*>(data);
    if (p == nullptr || size < 2) {
        return;
    }
    const std::uint16_t mask = Get16(p);
    std::size_t at = 2;
    for (std::size_t i = 0; i < row.channels.size(); ++i) {
        if ((mask & (1u << i)) == 0) {
            continue;
        }
        if (at + 6 > size) {
            return;
        }
        const double scale = FlowChannel(i) ? 100.0 : 10.0;
        ChannelMinute& c = row.channels[i];
        c.min = static_cast<float>(static_cast<std::int16_t>(Get16(p + at)) / scale);
        const double mean = static_cast<std::int16_t>(Get16(p + at + 2)) / scale;
        c.max = static_cast<float>(static_cast<std::int16_t>(Get16(p + at + 4)) / scale);
        c.count = std::max(samples, 1);
        c.sum = mean * c.count;
        at += 6;
    }
}

HistoryStore::OpenResult HistoryStore::Open(const std::string& path, Mode mode) {
    OpenResult result;
    const bool readOnly = mode == Mode::kReadOnly;
    std::error_code ec;
    if (!readOnly) {
        const auto folder = std::filesystem::path(path).parent_path();
        if (!folder.empty()) {
            std::filesystem::create_directories(folder, ec);
        }
    } else if (!std::filesystem::exists(path, ec)) {
        result.message = "There is no history store at " + path + " yet.";
        return result;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        sqlite3* db = nullptr;
        const int flags =
            readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
        std::unique_ptr<HistoryStore> store(new HistoryStore(db));
        std::string error;
        if (rc == SQLITE_OK) {
            sqlite3_busy_timeout(db, 10000);
            sqlite3_extended_result_codes(db, 1);
            if (readOnly) {
                // Reading the version is the first read: a damaged file shows here.
                Statement s(db, "SELECT version FROM schema_version");
                rc = s.Ok() ? s.Step() : sqlite3_errcode(db);
                if (rc == SQLITE_ROW) {
                    store->version_ = static_cast<int>(s.Int(0));
                    rc = SQLITE_OK;
                } else {
                    error = ErrorText(db);
                }
            } else if (!Exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", error) ||
                       !store->Migrate(error)) {
                rc = sqlite3_extended_errcode(db);
            }
        } else {
            error = db != nullptr ? ErrorText(db) : sqlite3_errstr(rc);
        }
        if (rc == SQLITE_OK) {
            result.store = std::move(store);
            return result;
        }
        store.reset();
        if (readOnly || attempt > 0 || !IsDamage(rc)) {
            result.message = "The history store " + path + " cannot be opened: " + error;
            return result;
        }
        // A damaged store is kept for inspection, never deleted, and a new one started; the
        // text logs are the primary record and are not touched.
        const std::string aside = AsideName(path);
        std::filesystem::rename(path, aside, ec);
        if (ec) {
            result.message = "The history store " + path + " is damaged (" + error +
                             ") and could not be renamed: " + ec.message();
            return result;
        }
        for (const char* suffix : {"-wal", "-shm"}) {
            std::filesystem::rename(path + suffix, aside + suffix, ec);
        }
        result.message = "The history store " + path + " is damaged (" + error +
                         "). It was renamed to " + aside + " and a new store was started.";
    }
    return result;
}

HistoryStore::~HistoryStore() {
    sqlite3_close_v2(db_);
}

bool HistoryStore::Migrate(std::string& error) {
    if (!Exec(db_, "BEGIN IMMEDIATE", error)) {
        return false;
    }
    bool ok =
        Exec(db_, "CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)", error);
    if (ok) {
        Statement s(db_, "SELECT version FROM schema_version");
        ok = s.Ok();
        const int rc = ok ? s.Step() : SQLITE_ERROR;
        version_ = rc == SQLITE_ROW ? static_cast<int>(s.Int(0)) : 0;
        ok = ok && (rc == SQLITE_ROW || rc == SQLITE_DONE);
        if (!ok) {
            error = ErrorText(db_);
        } else if (rc == SQLITE_DONE) {
            ok = Exec(db_, "INSERT INTO schema_version VALUES(0)", error);
        }
    }
    if (ok && version_ > kSchemaVersion) {
        error = "it was written by a newer Brennic (layout " + std::to_string(version_) + ")";
        ok = false;
    }
    for (int v = version_; ok && v < kSchemaVersion; ++v) {
        ok = Exec(db_, kMigrations[v], error);
        if (ok) {
            const std::string sql = "UPDATE schema_version SET version=" + std::to_string(v + 1);
            ok = Exec(db_, sql.c_str(), error);
        }
        if (ok) {
            version_ = v + 1;
        }
    }
    std::string ignored;
    if (!ok) {
        Exec(db_, "ROLLBACK", ignored);
        return false;
    }
    return Exec(db_, "COMMIT", error);
}

std::optional<bool> HistoryStore::DayExisted(int day, std::string& error) {
    if (const auto it = daysBefore_.find(day); it != daysBefore_.end()) {
        return it->second;
    }
    Statement s(db_, "SELECT 1 FROM day WHERE day=?");
    s.Bind(1, static_cast<long long>(day));
    const int rc = s.Ok() ? s.Step() : SQLITE_ERROR;
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        error = ErrorText(db_);
        return std::nullopt;
    }
    return daysBefore_[day] = rc == SQLITE_ROW;
}

HistoryStore::WriteResult HistoryStore::WriteMinutes(const std::vector<MinuteRow>& rows,
                                                     Overlap overlap, std::time_t oldestMinute) {
    WriteResult result;
    if (rows.empty()) {
        return result;
    }
    auto fail = [&](std::string text) {
        result.ok = false;
        result.error = std::move(text);
        std::string ignored;
        Exec(db_, "ROLLBACK", ignored);
        return result;
    };
    if (!Exec(db_, "BEGIN IMMEDIATE", result.error)) {
        result.ok = false;
        return result;
    }
    Statement find(db_,
                   "SELECT samples, channels, collector_btu, ha_btu, pump_on_s, ha_pump_on_s,"
                   " pump_starts, ha_pump_starts FROM minute WHERE minute=?");
    Statement put(db_, "INSERT OR REPLACE INTO minute VALUES(?,?,?,?,?,?,?,?,?)");
    Statement day(db_,
                  "INSERT INTO day VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11)"
                  " ON CONFLICT(day) DO UPDATE SET collector_btu=collector_btu+?2,"
                  " ha_btu=ha_btu+?3, pump_on_s=pump_on_s+?4, ha_pump_on_s=ha_pump_on_s+?5,"
                  " pump_starts=pump_starts+?6, ha_pump_starts=ha_pump_starts+?7,"
                  " max_collector=max(coalesce(max_collector,?8),coalesce(?8,max_collector)),"
                  " max_storage=max(coalesce(max_storage,?9),coalesce(?9,max_storage)),"
                  " minutes=minutes+?10, samples=samples+?11");
    if (!find.Ok() || !put.Ok() || !day.Ok()) {
        return fail(ErrorText(db_));
    }
    std::string error;
    for (const MinuteRow& row : rows) {
        const int dayNumber = LocalDayNumber(row.minute);
        int newMinutes = 1;
        MinuteRow merged = row;
        if (row.minute < oldestMinute) {
            // Past the minute retention: only the day row remembers it. An import must not
            // add again to a day that was stored before.
            if (overlap == Overlap::kSkipExisting) {
                const auto existed = DayExisted(dayNumber, error);
                if (!existed) {
                    return fail(error);
                }
                if (*existed) {
                    ++result.skipped;
                    continue;
                }
            }
        } else {
            find.Reset();
            find.Bind(1, static_cast<long long>(row.minute));
            const int rc = find.Step();
            if (rc == SQLITE_ROW) {
                if (overlap == Overlap::kSkipExisting) {
                    ++result.skipped;
                    continue;
                }
                MinuteRow stored;
                stored.samples = static_cast<int>(find.Int(0));
                DecodeChannels(sqlite3_column_blob(*find, 1),
                               static_cast<std::size_t>(sqlite3_column_bytes(*find, 1)),
                               stored.samples, stored);
                stored.collectorBtu = find.Real(2);
                stored.haBtu = find.Real(3);
                stored.pumpOnSeconds = static_cast<int>(find.Int(4));
                stored.haPumpOnSeconds = static_cast<int>(find.Int(5));
                stored.pumpStarts = static_cast<int>(find.Int(6));
                stored.haPumpStarts = static_cast<int>(find.Int(7));
                stored.minute = row.minute;
                MergeMinute(stored, row);
                merged = stored;
                newMinutes = 0;
            } else if (rc != SQLITE_DONE) {
                return fail(ErrorText(db_));
            }
            put.Reset();
            put.Bind(1, static_cast<long long>(merged.minute));
            put.Bind(2, static_cast<long long>(merged.samples));
            put.BindBlob(3, EncodeChannels(merged));
            put.Bind(4, merged.collectorBtu);
            put.Bind(5, merged.haBtu);
            put.Bind(6, static_cast<long long>(merged.pumpOnSeconds));
            put.Bind(7, static_cast<long long>(merged.haPumpOnSeconds));
            put.Bind(8, static_cast<long long>(merged.pumpStarts));
            put.Bind(9, static_cast<long long>(merged.haPumpStarts));
            if (put.Step() != SQLITE_DONE) {
                return fail(ErrorText(db_));
            }
        }
        // The day row gains what this write adds (row), not the merged minute.
        day.Reset();
        day.Bind(1, static_cast<long long>(dayNumber));
        day.Bind(2, row.collectorBtu);
        day.Bind(3, row.haBtu);
        day.Bind(4, static_cast<long long>(row.pumpOnSeconds));
        day.Bind(5, static_cast<long long>(row.haPumpOnSeconds));
        day.Bind(6, static_cast<long long>(row.pumpStarts));
        day.Bind(7, static_cast<long long>(row.haPumpStarts));
        day.BindOptional(8, ChannelMax(row, kSlotCollector));
        day.BindOptional(9, ChannelMax(row, kSlotStorage));
        day.Bind(10, static_cast<long long>(row.samples > 0 ? newMinutes : 0));
        day.Bind(11, static_cast<long long>(row.samples));
        if (day.Step() != SQLITE_DONE) {
            return fail(ErrorText(db_));
        }
        daysBefore_.emplace(dayNumber, false);
        ++result.written;
    }
    if (!Exec(db_, "COMMIT", result.error)) {
        return fail(result.error);
    }
    return result;
}

void HistoryStore::PrepareBulkWrites() {
    std::string ignored;  // only a tuning: the import works without it
    Exec(db_, "PRAGMA wal_autocheckpoint=25000; PRAGMA cache_size=-32768;", ignored);
}

bool HistoryStore::PruneMinutes(std::time_t oldestMinute, std::string& error) {
    Statement s(db_, "DELETE FROM minute WHERE minute < ?");
    s.Bind(1, static_cast<long long>(oldestMinute));
    if (!s.Ok() || s.Step() != SQLITE_DONE) {
        error = ErrorText(db_);
        return false;
    }
    return true;
}

std::vector<DayRow> HistoryStore::ReadDays(int fromDay, int toDay, std::string& error) {
    std::vector<DayRow> days;
    Statement s(db_, "SELECT * FROM day WHERE day BETWEEN ? AND ? ORDER BY day");
    s.Bind(1, static_cast<long long>(fromDay));
    s.Bind(2, static_cast<long long>(toDay));
    int rc = s.Ok() ? SQLITE_ROW : SQLITE_ERROR;
    while (s.Ok() && (rc = s.Step()) == SQLITE_ROW) {
        DayRow d;
        d.day = static_cast<int>(s.Int(0));
        d.collectorBtu = s.Real(1);
        d.haBtu = s.Real(2);
        d.pumpOnSeconds = s.Int(3);
        d.haPumpOnSeconds = s.Int(4);
        d.pumpStarts = static_cast<int>(s.Int(5));
        d.haPumpStarts = static_cast<int>(s.Int(6));
        d.maxCollector = s.OptionalFloat(7);
        d.maxStorage = s.OptionalFloat(8);
        d.minutesWithData = static_cast<int>(s.Int(9));
        d.samples = s.Int(10);
        days.push_back(d);
    }
    if (rc != SQLITE_DONE) {
        error = ErrorText(db_);
    }
    return days;
}

std::vector<MinuteRow> HistoryStore::ReadMinutes(std::time_t from, std::time_t to,
                                                 std::string& error) {
    std::vector<MinuteRow> rows;
    Statement s(db_, "SELECT * FROM minute WHERE minute >= ? AND minute < ? ORDER BY minute");
    s.Bind(1, static_cast<long long>(from));
    s.Bind(2, static_cast<long long>(to));
    int rc = s.Ok() ? SQLITE_ROW : SQLITE_ERROR;
    while (s.Ok() && (rc = s.Step()) == SQLITE_ROW) {
        MinuteRow r;
        r.minute = static_cast<std::time_t>(s.Int(0));
        r.samples = static_cast<int>(s.Int(1));
        DecodeChannels(sqlite3_column_blob(*s, 2),
                       static_cast<std::size_t>(sqlite3_column_bytes(*s, 2)), r.samples, r);
        r.collectorBtu = s.Real(3);
        r.haBtu = s.Real(4);
        r.pumpOnSeconds = static_cast<int>(s.Int(5));
        r.haPumpOnSeconds = static_cast<int>(s.Int(6));
        r.pumpStarts = static_cast<int>(s.Int(7));
        r.haPumpStarts = static_cast<int>(s.Int(8));
        rows.push_back(r);
    }
    if (rc != SQLITE_DONE) {
        error = ErrorText(db_);
    }
    return rows;
}

std::optional<std::pair<int, int>> HistoryStore::DaySpan(std::string& error) {
    Statement s(db_, "SELECT min(day), max(day) FROM day");
    if (!s.Ok() || s.Step() != SQLITE_ROW) {
        error = ErrorText(db_);
        return std::nullopt;
    }
    if (sqlite3_column_type(*s, 0) == SQLITE_NULL) {
        return std::nullopt;
    }
    return std::pair{static_cast<int>(s.Int(0)), static_cast<int>(s.Int(1))};
}

std::optional<HistoryStore::ImportRecord> HistoryStore::FindImport(const std::string& fingerprint,
                                                                   std::string& error) {
    Statement s(db_,
                "SELECT path, size, first_time, last_time, records FROM imported"
                " WHERE fingerprint=?");
    s.Bind(1, fingerprint);
    const int rc = s.Ok() ? s.Step() : SQLITE_ERROR;
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE) {
            error = ErrorText(db_);
        }
        return std::nullopt;
    }
    ImportRecord r;
    r.fingerprint = fingerprint;
    r.path = s.Text(0);
    r.size = s.Int(1);
    r.firstTime = static_cast<std::time_t>(s.Int(2));
    r.lastTime = static_cast<std::time_t>(s.Int(3));
    r.records = s.Int(4);
    return r;
}

bool HistoryStore::RecordImport(const ImportRecord& r, std::string& error) {
    Statement s(db_, "INSERT OR REPLACE INTO imported VALUES(?,?,?,?,?,?,?)");
    s.Bind(1, r.fingerprint);
    s.Bind(2, r.path);
    s.Bind(3, static_cast<long long>(r.size));
    s.Bind(4, static_cast<long long>(r.firstTime));
    s.Bind(5, static_cast<long long>(r.lastTime));
    s.Bind(6, r.records);
    s.Bind(7, static_cast<long long>(std::time(nullptr)));
    if (!s.Ok() || s.Step() != SQLITE_DONE) {
        error = ErrorText(db_);
        return false;
    }
    return true;
}

}  // namespace brennic
