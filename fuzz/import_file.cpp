// brennic --import of one file of any kind into a store in memory: the kind is told from the
// content, the file replayed, its minutes and days stored.

#include <sqlite3.h>

#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "history/ImportCommand.h"

namespace {

// One store in memory for the whole run, emptied after each input: a new store per input
// made its tables every time, a third of what an input cost. This connection keeps the
// shared in-memory database alive between the inputs' own connections.
constexpr const char* kStore = "file:brennic-fuzz-import?mode=memory&cache=shared";

struct KeptStore {
    KeptStore() {
        if (sqlite3_open_v2(kStore, &db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                            nullptr) != SQLITE_OK) {
            std::abort();
        }
    }
    ~KeptStore() { sqlite3_close(db); }

    // Empties every table but the schema's version, so that each input meets an empty store
    // (and a file imported before is not skipped as imported).
    void Empty() const {
        std::vector<std::string> tables;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT name FROM sqlite_master WHERE type = 'table' AND name != "
                           "'schema_version'",
                           -1, &s, nullptr);
        while (s != nullptr && sqlite3_step(s) == SQLITE_ROW) {
            tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        }
        sqlite3_finalize(s);
        for (const std::string& table : tables) {
            if (sqlite3_exec(db, ("DELETE FROM \"" + table + "\"").c_str(), nullptr, nullptr,
                             nullptr) != SQLITE_OK) {
                std::abort();
            }
        }
    }

    sqlite3* db = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brennic;
    static const KeptStore kept;
    const std::uint8_t mode = fuzz::TakeByte(data, size);
    AppState state;
    fuzz::Quiet(state);
    state.config.controllerType = mode % 3;
    ImportOptions options;
    options.files = {fuzz::ScratchFile(data, size)};
    options.storePath = kStore;
    if ((mode & 0x04) != 0) {
        options.start = "2009-06-01 06:00:00";
        options.interval = (mode & 0x08) != 0 ? 360 : 2;
    }
    std::ostringstream out;
    std::ostringstream progress;
    std::ostringstream err;
    RunImportCommand(state, options, out, progress, err);
    kept.Empty();
    return 0;
}
