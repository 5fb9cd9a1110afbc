#pragma once

#include <ctime>
#include <map>
#include <string>

namespace brennic::onewire {

// One answer of the server: a temperature in °C, a switch word (bit 0 = channel A), or no
// reading (status 1).
struct ProbeReading {
    enum Kind { kTemperature, kSwitch, kMissing } kind = kMissing;
    double celsius = 0.0;
    int switchWord = 0;
};

// Where the server's answers come from: simulated probes (command line and an optional file
// that is re-read when it changes), then w1 devices under `w1Folder`, found by name or by an
// alias. Single-threaded.
class ProbeSource {
  public:
    void SetSimulated(const std::string& name, const ProbeReading& reading) {
        simulated_[name] = reading;
    }
    void SetAlias(const std::string& name, const std::string& device) { aliases_[name] = device; }
    void SetFile(const std::string& path) { file_ = path; }
    void SetW1Folder(const std::string& folder) { w1Folder_ = folder; }

    // Reads a probe file: "NAME temp 21.5", "NAME switch 0x0002", "NAME missing"; '#' starts
    // a comment. False (with a message on stderr) when a line does not read.
    static bool ParseFile(const std::string& path, std::map<std::string, ProbeReading>& out);

    // Parses "0x0002", "2" or "0b10" as a switch word.
    static bool ParseSwitchWord(const std::string& text, int& word);

    ProbeReading Read(const std::string& name);

  private:
    void ReloadFileIfChanged();
    bool ReadW1(const std::string& device, ProbeReading& out) const;

    std::map<std::string, ProbeReading> simulated_;
    std::map<std::string, ProbeReading> fromFile_;
    std::map<std::string, std::string> aliases_;
    std::string file_;
    std::timespec fileTime_{};
    std::string w1Folder_ = "/sys/bus/w1/devices";
};

}  // namespace brennic::onewire
