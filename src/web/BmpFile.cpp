#include "web/BmpFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

namespace brennic {

namespace {

void Put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

// Row size and image size in 64 bits, so that a huge picture is refused rather than wrapped.
std::uint64_t ImageSize(int width, int height) {
    return static_cast<std::uint64_t>(BmpRowSize(width)) * static_cast<std::uint64_t>(height);
}

}  // namespace

std::size_t BmpRowSize(int width) {
    if (width <= 0) {
        return 0;
    }
    return (3 * static_cast<std::size_t>(width) + 3) / 4 * 4;
}

std::optional<std::array<std::uint8_t, kBmpHeaderSize>> BmpHeader(int width, int height) {
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    const std::uint64_t imageSize = ImageSize(width, height);
    if (imageSize + kBmpHeaderSize > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    std::array<std::uint8_t, kBmpHeaderSize> h{};
    h[0] = 'B';
    h[1] = 'M';
    Put32(&h[2], static_cast<std::uint32_t>(kBmpHeaderSize + imageSize));  // file size
    Put32(&h[6], 0);                                                       // reserved
    Put32(&h[10], kBmpHeaderSize);                                         // pixel data offset
    Put32(&h[14], 40);                                                     // info header size
    Put32(&h[18], static_cast<std::uint32_t>(width));
    Put32(&h[22], static_cast<std::uint32_t>(height));  // positive: rows bottom-up
    Put16(&h[26], 1);                                   // planes
    Put16(&h[28], 24);                                  // bits per pixel
    Put32(&h[30], 0);                                   // uncompressed
    Put32(&h[34], static_cast<std::uint32_t>(imageSize));
    // Resolution, colours used and colours important stay 0.
    return h;
}

std::vector<std::uint8_t> EncodeBmp(const RgbRows& picture) {
    const auto header = BmpHeader(picture.width, picture.height);
    const std::size_t rowBytes =
        3 * static_cast<std::size_t>(picture.width > 0 ? picture.width : 0);
    if (!header || picture.pixels == nullptr || picture.stride < rowBytes) {
        return {};
    }
    const std::size_t rowSize = BmpRowSize(picture.width);
    std::vector<std::uint8_t> file(
        kBmpHeaderSize + rowSize * static_cast<std::size_t>(picture.height), kBmpPadding);
    std::copy(header->begin(), header->end(), file.begin());
    std::uint8_t* out = file.data() + kBmpHeaderSize;
    for (int y = picture.height - 1; y >= 0; --y, out += rowSize) {
        const std::uint8_t* in = picture.pixels + static_cast<std::size_t>(y) * picture.stride;
        for (int x = 0; x < picture.width; ++x, in += 3) {
            out[3 * x] = in[2];
            out[3 * x + 1] = in[1];
            out[3 * x + 2] = in[0];
        }
        // The padding bytes were filled when the buffer was made.
    }
    return file;
}

std::optional<std::string> WriteBmpFile(const std::string& path, const RgbRows& picture) {
    const std::vector<std::uint8_t> bytes = EncodeBmp(picture);
    if (bytes.empty()) {
        return "Cannot write " + path + ": the picture is empty or too large for a BMP file";
    }
    auto fail = [&path](int error) {
        return "Cannot write " + path + ": " + std::system_category().message(error);
    };
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return fail(errno);
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && !closed) {
        error = errno;
    }
    if (!written || !closed) {
        // A half-written picture is worse than none; a device or pipe is left alone.
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) {
            std::filesystem::remove(path, ec);
        }
        return fail(error);
    }
    return std::nullopt;
}

}  // namespace brennic
