#include "links/OneWireDatagram.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "core/AppState.h"

namespace brennic {

namespace {

std::uint64_t ReadLeBytes(std::span<const std::byte> data, std::size_t offset, int count) {
    std::uint64_t v = 0;
    for (int i = count - 1; i >= 0; --i) {
        v = (v << 8) | std::to_integer<std::uint64_t>(data[offset + static_cast<std::size_t>(i)]);
    }
    return v;
}

void WriteLeBytes(std::span<std::byte> data, std::size_t offset, std::uint64_t v, int count) {
    for (int i = 0; i < count; ++i) {
        data[offset + static_cast<std::size_t>(i)] = static_cast<std::byte>(v & 0xFF);
        v >>= 8;
    }
}

std::string_view EntryName(std::span<const std::byte> entry) {
    const char* name = reinterpret_cast<const char*>(entry.data());
    std::size_t length = 0;
    while (length < kOneWireNameSize && name[length] != '\0') {
        ++length;
    }
    return {name, length};
}

// The switch channel's state: 1 or 0, inverted for a negative select; -1 when the row
// selects no channel A..H.
int SwitchState(std::int16_t word, int select) {
    const int channel = std::abs(select);
    if (channel < 1 || channel > 8) {
        return -1;
    }
    const int bit = (static_cast<std::uint16_t>(word) >> (channel - 1)) & 1;
    return bit ^ (select < 0 ? 1 : 0);
}

}  // namespace

std::int32_t ReadLe32(std::span<const std::byte> data, std::size_t offset) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ReadLeBytes(data, offset, 4)));
}

std::int16_t ReadLe16(std::span<const std::byte> data, std::size_t offset) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(ReadLeBytes(data, offset, 2)));
}

double ReadLeDouble(std::span<const std::byte> data, std::size_t offset) {
    return std::bit_cast<double>(ReadLeBytes(data, offset, 8));
}

void WriteLe32(std::span<std::byte> data, std::size_t offset, std::int32_t value) {
    WriteLeBytes(data, offset, static_cast<std::uint32_t>(value), 4);
}

void WriteLe16(std::span<std::byte> data, std::size_t offset, std::int16_t value) {
    WriteLeBytes(data, offset, static_cast<std::uint16_t>(value), 2);
}

void WriteLeDouble(std::span<std::byte> data, std::size_t offset, double value) {
    WriteLeBytes(data, offset, std::bit_cast<std::uint64_t>(value), 8);
}

bool IsRequestedProbe(const OneWireProbe& probe) {
    return !probe.id.empty() && probe.id[0] != ' ';
}

int BuildOneWireRequest(OneWireBlock& block, const OneWireProbes& probes) {
    WriteLe32(block, 8, 1);
    int n = 0;
    for (const OneWireProbe& probe : probes) {
        if (!IsRequestedProbe(probe)) {
            continue;
        }
        const std::size_t entry =
            kOneWireHeadSize + kOneWireEntrySize * static_cast<std::size_t>(n);
        // The name and its NUL stay within the 17-byte field, whatever the configuration holds.
        const std::size_t length = std::min(probe.id.size(), kOneWireNameSize - 1);
        for (std::size_t i = 0; i < length; ++i) {
            block[entry + i] = static_cast<std::byte>(probe.id[i]);
        }
        block[entry + length] = std::byte{0};
        block[entry + 17] = std::byte{1};
        block[entry + 18] = std::byte{1};
        block[entry + kOneWireStatusOffset] = std::byte{0};
        ++n;
    }
    WriteLe32(block, 4, n);
    return n;
}

bool IsOneWireReply(std::span<const std::byte> datagram) {
    if (datagram.size() < kOneWireHeadSize) {
        return false;
    }
    const std::int32_t n = ReadLe32(datagram, 4);
    return n >= 0 && n <= kOneWireMaxEntries &&
           datagram.size() >= kOneWireHeadSize + kOneWireEntrySize * static_cast<std::size_t>(n);
}

bool ProcessOneWireReply(AppState& state, std::span<const std::byte> datagram, std::time_t now) {
    StateGuard guard(state.lock);
    OneWireReadings& readings = state.oneWire;
    readings.currentValues = {kNoReading, kNoReading, kNoReading, kNoReading};
    readings.switchState = -1;
    readings.lastReceiveTime = now;

    if (datagram.size() < 8) {
        return false;
    }
    const std::int32_t n = ReadLe32(datagram, 4);
    if (n < 0 || n > kOneWireMaxEntries) {
        return false;
    }
    const OneWireProbes& probes = state.config.oneWireProbes;
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        const std::size_t offset = kOneWireHeadSize + kOneWireEntrySize * k;
        if (offset + kOneWireEntrySize > datagram.size()) {
            break;  // not received
        }
        const auto entry = datagram.subspan(offset, kOneWireEntrySize);
        const std::string_view name = EntryName(entry);
        std::size_t row = 0;
        while (row < probes.size() && !(IsRequestedProbe(probes[row]) && probes[row].id == name)) {
            ++row;
        }
        if (row == probes.size()) {
            continue;
        }
        const bool valid = entry[kOneWireStatusOffset] == std::byte{0};
        if (!kOneWireSwitchRow[row]) {
            float fahrenheit = kNoReading;
            if (valid) {
                fahrenheit =
                    static_cast<float>(ReadLeDouble(entry, kOneWireValueOffset) * 1.8 + 32.0);
                if (!std::isfinite(fahrenheit)) {
                    fahrenheit = kNoReading;
                }
            }
            readings.currentValues[row] = fahrenheit;
        } else {
            readings.switchState =
                valid ? SwitchState(ReadLe16(entry, kOneWireValueOffset), probes[row].switchSelect)
                      : -1;
        }
    }
    return true;
}

bool ProcessOneWireReply(AppState& state, std::span<const std::byte> datagram) {
    return ProcessOneWireReply(state, datagram, std::time(nullptr));
}

}  // namespace brennic
