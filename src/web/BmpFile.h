#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brennic {

// A picture as rows of red, green, blue bytes, top row first. Only borrowed: the caller keeps
// the pixels alive while an encoder reads them.
struct RgbRows {
    int width = 0;
    int height = 0;
    const std::uint8_t* pixels = nullptr;  // first byte of the top row
    std::size_t stride = 0;                // bytes from one row to the next, at least 3 × width
};

// 24-bit uncompressed BMP as window images are saved: a 14-byte file header and a 40-byte
// info header, then the rows bottom-up in blue-green-red order, each followed by
// (width mod 4) padding bytes of kBmpPadding. All fields little-endian. Any thread.
inline constexpr std::size_t kBmpHeaderSize = 54;
inline constexpr std::uint8_t kBmpPadding = 0x23;

// Bytes of one stored row: 3 × width rounded up to a multiple of 4.
std::size_t BmpRowSize(int width);

// The 54 header bytes for a picture of this size; none when a side is not positive or the
// file would not fit the format's 32-bit size fields.
std::optional<std::array<std::uint8_t, kBmpHeaderSize>> BmpHeader(int width, int height);

// The whole file; empty when BmpHeader refuses the size or the rows are not readable
// (no pixels, stride shorter than a row).
std::vector<std::uint8_t> EncodeBmp(const RgbRows& picture);

// Writes EncodeBmp's bytes to `path`, replacing the file. Returns the error text ("Cannot
// write <path>: <reason>") on failure, in which case no partial regular file is left behind.
std::optional<std::string> WriteBmpFile(const std::string& path, const RgbRows& picture);

}  // namespace brennic
