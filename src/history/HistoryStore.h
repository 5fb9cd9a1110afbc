#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/HistoryTypes.h"

struct sqlite3;

namespace brennic {

// The history store: one SQLite file (WAL) with minute rows, day rows and the files imported
// into it, its layout versioned by a schema_version table and migrated forward on open.
// One object per thread: the writer thread owns the one that writes; readers (reports, the
// dialog, an import) open their own. SQLite's file locks and WAL let them run side by side.
class HistoryStore {
  public:
    enum class Mode { kReadWrite, kReadOnly };

    struct OpenResult {
        std::unique_ptr<HistoryStore> store;  // null when the store could not be opened
        std::string message;  // what went wrong, or what was done about a damaged file
    };

    // Opens (read-write: creating it and its folder, migrating it) the store at `path`. A file
    // that is not an SQLite database or is damaged is renamed to "<path>.damaged-<time>" (with
    // its -wal and -shm files) and a new store started; `message` then says so. Read-only
    // never creates, migrates or renames. Any thread; blocks on the disk.
    static OpenResult Open(const std::string& path, Mode mode = Mode::kReadWrite);

    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // What happens to a minute that is already in the store.
    enum class Overlap {
        kMerge,         // live road: a restart within a minute adds its samples to the row
        kSkipExisting,  // import: a minute already stored is left alone (no double count)
    };

    struct WriteResult {
        bool ok = true;
        int written = 0;  // minute rows added or merged
        int skipped = 0;  // minutes already stored (kSkipExisting)
        std::string error;
    };

    // Writes `rows` and the day rows they change in one transaction. Minutes before
    // `oldestMinute` (minute retention) only change their day rows; on import such a day that
    // was already in the store before this object first saw it is left alone.
    WriteResult WriteMinutes(const std::vector<MinuteRow>& rows, Overlap overlap,
                             std::time_t oldestMinute);

    // For an import: lets the write-ahead log grow to about 100 MB before it is copied into
    // the store, so a year of minutes costs a few disk flushes instead of dozens.
    void PrepareBulkWrites();

    // Deletes minute rows before `oldestMinute`; day rows stay. False on a write error.
    bool PruneMinutes(std::time_t oldestMinute, std::string& error);

    // Day rows from `fromDay` to `toDay` (YYYYMMDD, inclusive), in order.
    std::vector<DayRow> ReadDays(int fromDay, int toDay, std::string& error);
    // Minute rows in [from, to), in order (the channel sums are mean × count).
    std::vector<MinuteRow> ReadMinutes(std::time_t from, std::time_t to, std::string& error);
    // First and last stored day, or nullopt for an empty store.
    std::optional<std::pair<int, int>> DaySpan(std::string& error);

    // Imported files, recognised by a fingerprint of their content.
    struct ImportRecord {
        std::string fingerprint;
        std::string path;
        std::int64_t size = 0;
        std::time_t firstTime = 0;
        std::time_t lastTime = 0;
        long long records = 0;
    };
    std::optional<ImportRecord> FindImport(const std::string& fingerprint, std::string& error);
    bool RecordImport(const ImportRecord& record, std::string& error);

    int SchemaVersion() const { return version_; }
    static constexpr int kSchemaVersion = 2;

  private:
    explicit HistoryStore(sqlite3* db) : db_(db) {}
    bool Migrate(std::string& error);
    std::optional<bool> DayExisted(int day, std::string& error);

    sqlite3* db_ = nullptr;
    int version_ = 0;
    std::map<int, bool> daysBefore_;  // day → it had a row before this object wrote to it
};

// Minute channel statistics as stored: a 16-bit mask of the channels with readings, then
// minimum, mean and maximum of each as 16-bit integers (tenths; hundredths for flows),
// little-endian. Exposed for the tests and the size benchmark.
std::string EncodeChannels(const MinuteRow& row);
void DecodeChannels(const void* data, std::size_t size, int samples, MinuteRow& row);

}  // namespace brennic
