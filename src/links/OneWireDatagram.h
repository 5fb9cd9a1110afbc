#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>

#include "config/Config.h"

namespace brennic {

struct AppState;

// Request and reply datagrams of the One-Wire server: 976 bytes, little-endian. A 16-byte
// head (word 0, entry count at 4, word at 8, word at 12) and up to five 48-byte entries:
// name (17 bytes, NUL-terminated), two request bytes at 17 and 18, the status at 19
// (0 = valid) and the reading at 24 (a double in °C, or a 16-bit word of switch channels,
// bit 0 = A .. bit 7 = H).
inline constexpr std::size_t kOneWireDatagramSize = 976;
inline constexpr std::size_t kOneWireHeadSize = 16;
inline constexpr std::size_t kOneWireEntrySize = 48;
inline constexpr std::size_t kOneWireNameSize = 17;
inline constexpr std::size_t kOneWireStatusOffset = 19;
inline constexpr std::size_t kOneWireValueOffset = 24;
inline constexpr int kOneWireMaxEntries = 5;

// Rows 0-3 are temperature probes (WAux-1..WAux-4), row 4 is the heat-assist pump switch.
inline constexpr std::array<bool, 5> kOneWireSwitchRow = {false, false, false, false, true};

using OneWireBlock = std::array<std::byte, kOneWireDatagramSize>;
using OneWireProbes = std::array<OneWireProbe, 5>;

std::int32_t ReadLe32(std::span<const std::byte> data, std::size_t offset);
std::int16_t ReadLe16(std::span<const std::byte> data, std::size_t offset);
double ReadLeDouble(std::span<const std::byte> data, std::size_t offset);
void WriteLe32(std::span<std::byte> data, std::size_t offset, std::int32_t value);
void WriteLe16(std::span<std::byte> data, std::size_t offset, std::int16_t value);
void WriteLeDouble(std::span<std::byte> data, std::size_t offset, double value);

// A row takes part when its id is neither empty nor begins with a blank.
bool IsRequestedProbe(const OneWireProbe& probe);

// Writes the request for `probes` into `block` and returns its entry count. The block is
// reused from request to request: bytes this request does not set keep what an earlier one
// left there. Any thread (the block is the caller's).
int BuildOneWireRequest(OneWireBlock& block, const OneWireProbes& probes);

// Whether `datagram` is a complete reply: a head with an entry count of 0..5 and every
// counted entry received. Any thread.
bool IsOneWireReply(std::span<const std::byte> datagram);

// Applies one reply datagram (exactly the bytes received) to state.oneWire under the
// StateLock: every value is first set to no reading and lastReceiveTime to `now`; then each
// entry whose name equals a requested row's id (exactly, case-sensitive) sets that row:
// a temperature in °F, or the switch state from channel |switchSelect| (inverted when
// negative). Entries beyond the received bytes are absent; a name is read only within its 17
// bytes. Returns false when the datagram is malformed (shorter than its head, entry count
// outside 0..5): the display need not be repainted. Main thread; takes the StateLock.
bool ProcessOneWireReply(AppState& state, std::span<const std::byte> datagram, std::time_t now);
bool ProcessOneWireReply(AppState& state, std::span<const std::byte> datagram);

}  // namespace brennic
