#pragma once

#include <filesystem>
#include <string>

namespace brennic {

// Lifetime heat of the two loops, for energy meters that must never run backwards: the
// processor's totals start again at every Reset and every start of the program, so the
// ledger adds up what each total gained between two samples instead.
struct EnergyLedger {
    double collectorBtu = 0.0;  // lifetime heat
    double haBtu = 0.0;
    double lastCollectorBtu = -1.0;  // total at the previous sample; < 0: none seen yet
    double lastHaBtu = -1.0;
};

// Adds what the totals since Reset gained since the previous call. A total lower than the
// one before means a Reset happened: all of it is new heat. The first call after a start only
// remembers the totals. Any thread; the caller owns the ledger.
void AccountEnergy(EnergyLedger& ledger, double collectorTotalBtu, double haTotalBtu);

// Reads the lifetime totals from `file`. A missing file is a fresh ledger (true). A damaged
// one is moved aside to "<file>.damaged", the ledger starts from zero and `problem` says so
// (false).
bool LoadEnergyLedger(const std::filesystem::path& file, EnergyLedger& ledger,
                      std::string& problem);

// Writes the lifetime totals to `file` atomically (a synced temporary file renamed over it).
// False with `problem` set when it could not; the old file then stands.
bool SaveEnergyLedger(const std::filesystem::path& file, const EnergyLedger& ledger,
                      std::string& problem);

}  // namespace brennic
