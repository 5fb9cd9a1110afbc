#include "mqtt/EnergyLedger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace brennic {

namespace {

void AccountLoop(double& lifetime, double& last, double total) {
    if (last >= 0.0) {
        lifetime += total >= last ? total - last : total;
    }
    last = total;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

void AccountEnergy(EnergyLedger& ledger, double collectorTotalBtu, double haTotalBtu) {
    AccountLoop(ledger.collectorBtu, ledger.lastCollectorBtu, collectorTotalBtu);
    AccountLoop(ledger.haBtu, ledger.lastHaBtu, haTotalBtu);
}

bool LoadEnergyLedger(const std::filesystem::path& file, EnergyLedger& ledger,
                      std::string& problem) {
    ledger = EnergyLedger{};
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return true;
    }
    std::ostringstream text;
    text << in.rdbuf();
    in.close();
    const auto data = nlohmann::json::parse(text.str(), nullptr, false);
    const auto number = [&](const char* key) -> double {
        if (!data.is_object() || !data.contains(key) || !data[key].is_number()) {
            return -1.0;
        }
        return data[key].get<double>();
    };
    const double collector = number("collector_btu");
    const double ha = number("heat_assist_btu");
    if (collector >= 0.0 && ha >= 0.0) {
        ledger.collectorBtu = collector;
        ledger.haBtu = ha;
        return true;
    }
    std::filesystem::path aside = file;
    aside += ".damaged";
    std::error_code ec;
    std::filesystem::rename(file, aside, ec);
    problem = "The energy totals in " + file.string() + " are damaged; kept as " +
              aside.filename().string() + ", counting starts again from zero";
    return false;
}

bool SaveEnergyLedger(const std::filesystem::path& file, const EnergyLedger& ledger,
                      std::string& problem) {
    const nlohmann::json data = {{"collector_btu", ledger.collectorBtu},
                                 {"heat_assist_btu", ledger.haBtu}};
    const std::string bytes = data.dump() + "\n";
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0) {
        ok = close(fd) == 0 && ok;
    }
    if (ok && std::rename(temporary.c_str(), file.c_str()) == 0) {
        // The rename itself is durable only once the folder is synced.
        const int dir = open(file.parent_path().empty() ? "." : file.parent_path().c_str(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
        return true;
    }
    problem = "Cannot write the energy totals " + file.string() + ": " +
              std::strerror(ok ? errno : error);
    unlink(temporary.c_str());
    return false;
}

}  // namespace brennic
