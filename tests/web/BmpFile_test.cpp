#include "web/BmpFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "support/TempFolder.h"

namespace brennic {
namespace {

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// A picture whose every pixel says where it is: red = x, green = y, blue = x + y.
struct Pattern {
    int width;
    int height;
    std::size_t stride;
    std::vector<std::uint8_t> bytes;

    Pattern(int w, int h, std::size_t extra = 0)
        : width(w),
          height(h),
          stride(3 * static_cast<std::size_t>(w) + extra),
          bytes(stride * h, 0xEE) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = &bytes[y * stride + 3 * x];
                p[0] = static_cast<std::uint8_t>(x);
                p[1] = static_cast<std::uint8_t>(y);
                p[2] = static_cast<std::uint8_t>(x + y);
            }
        }
    }
    RgbRows Rows() const { return {width, height, bytes.data(), stride}; }
};

TEST(BmpFile, RowsAreBottomUpBlueGreenRedWithWidthMod4PaddingBytes) {
    struct Case {
        int width;
        int height;
        std::size_t rowSize;
        std::size_t extraStride;  // the source rows may be longer than their pixels
    };
    const Case cases[] = {
        {1, 1, 4, 0}, {2, 3, 8, 0}, {3, 2, 12, 1}, {4, 2, 12, 0}, {101, 3, 304, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        EXPECT_EQ(BmpRowSize(c.width), c.rowSize);
        const Pattern pattern(c.width, c.height, c.extraStride);
        const std::vector<std::uint8_t> file = EncodeBmp(pattern.Rows());
        ASSERT_EQ(file.size(), kBmpHeaderSize + c.rowSize * c.height);
        EXPECT_EQ(Get32(file, 2), file.size());
        EXPECT_EQ(Get32(file, 34), c.rowSize * c.height);
        const std::size_t padding = c.rowSize - 3 * static_cast<std::size_t>(c.width);
        for (int row = 0; row < c.height; ++row) {
            const int y = c.height - 1 - row;  // the first stored row is the bottom one
            const std::size_t start = kBmpHeaderSize + row * c.rowSize;
            for (int x = 0; x < c.width; ++x) {
                const std::size_t at = start + 3 * x;
                ASSERT_EQ(file[at], static_cast<std::uint8_t>(x + y)) << x << "," << y;
                ASSERT_EQ(file[at + 1], static_cast<std::uint8_t>(y));
                ASSERT_EQ(file[at + 2], static_cast<std::uint8_t>(x));
            }
            for (std::size_t p = 0; p < padding; ++p) {
                EXPECT_EQ(file[start + 3 * c.width + p], 0x23);
            }
        }
    }
}

TEST(BmpFile, HeaderFieldsForAKnownSize) {
    const auto header = BmpHeader(101, 7);
    ASSERT_TRUE(header.has_value());
    const std::vector<std::uint8_t> h(header->begin(), header->end());
    const std::vector<std::uint8_t> expected = {
        'B',  'M',                     // signature
        0x86, 0x08, 0, 0,              // file size 54 + 304 × 7 = 2182
        0,    0,    0, 0,              // reserved
        54,   0,    0, 0,              // pixel data offset
        40,   0,    0, 0,              // info header size
        101,  0,    0, 0,              // width
        7,    0,    0, 0,              // height, positive: bottom-up
        1,    0,                       // planes
        24,   0,                       // bits per pixel
        0,    0,    0, 0,              // uncompressed
        0x50, 0x08, 0, 0,              // image size 2128
        0,    0,    0, 0, 0, 0, 0, 0,  // resolution
        0,    0,    0, 0, 0, 0, 0, 0,  // colours used, colours important
    };
    EXPECT_EQ(h, expected);
}

TEST(BmpFile, RefusesPicturesItCannotStore) {
    const std::uint8_t pixel[3] = {1, 2, 3};
    struct Case {
        RgbRows rows;
        const char* why;
    };
    const Case cases[] = {
        {{0, 1, pixel, 3}, "no width"},
        {{1, 0, pixel, 3}, "no height"},
        {{-4, 2, pixel, 12}, "negative width"},
        {{1, 1, nullptr, 3}, "no pixels"},
        {{2, 1, pixel, 3}, "stride shorter than a row"},
        {{40000, 40000, pixel, 120000}, "larger than the 32-bit size fields"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(EncodeBmp(c.rows).empty()) << c.why;
    }
    EXPECT_FALSE(BmpHeader(40000, 40000).has_value());
    // Just inside the limit: 54 + 65532 × 65538 bytes fits in 32 bits.
    EXPECT_TRUE(BmpHeader(21844, 65538).has_value());
}

TEST(BmpFile, ReportsWhyAFileCannotBeWritten) {
    const testing::TempFolder folder;
    const std::filesystem::path& dir = folder.Path();
    const Pattern pattern(3, 3);
    const std::string missing = (dir / "no-such-folder" / "Screen.bmp").string();
    const auto error = WriteBmpFile(missing, pattern.Rows());
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, "Cannot write " + missing + ": No such file or directory");

    const auto empty = WriteBmpFile((dir / "empty.bmp").string(), RgbRows{});
    ASSERT_TRUE(empty.has_value());
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.bmp"));

    // A full disk shows only when the buffered bytes are flushed at close; a device is left
    // in place.
    if (std::filesystem::exists("/dev/full")) {
        const auto full = WriteBmpFile("/dev/full", Pattern(200, 200).Rows());
        ASSERT_TRUE(full.has_value());
        EXPECT_EQ(*full, "Cannot write /dev/full: No space left on device");
        EXPECT_TRUE(std::filesystem::exists("/dev/full"));
    }
}

}  // namespace
}  // namespace brennic
