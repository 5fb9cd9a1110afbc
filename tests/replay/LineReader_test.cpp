#include "replay/LineReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ReplayTestSupport.h"

namespace brennic {
namespace {

using testing::TempFolder;

struct Piece {
    std::int64_t pos;
    std::string text;
};

std::vector<Piece> ReadAll(LineReader& reader) {
    std::vector<Piece> out;
    std::string_view line;
    std::int64_t pos = 0;
    while (reader.Next(line, pos) == LineReader::kLine) {
        out.push_back({pos, std::string(line)});
    }
    return out;
}

TEST(LineReader, SplitsLinesLikeTextModeReadingWithA255CharacterLimit) {
    const std::string l255(255, 'a');
    const std::string l254(254, 'b');
    const std::string l300(300, 'c');
    struct Case {
        const char* name;
        std::string content;
        std::vector<Piece> expected;
    } cases[] = {
        {"plain", "ab\ncd\n", {{0, "ab\n"}, {3, "cd\n"}}},
        {"crlf reads as lf", "ab\r\n\r\ncd\r\n", {{0, "ab\n"}, {4, "\n"}, {6, "cd\n"}}},
        {"last line without lf", "ab\ncd", {{0, "ab\n"}, {3, "cd"}}},
        {"lone cr stays", "a\rb\n", {{0, "a\rb\n"}}},
        {"254 + crlf is one line", l254 + "\r\n", {{0, l254 + "\n"}}},
        {"255 + lf comes in two", l255 + "\n", {{0, l255}, {255, "\n"}}},
        {"255 + crlf comes in two", l255 + "\r\nx\n", {{0, l255}, {255, "\n"}, {257, "x\n"}}},
        {"long line in pieces",
         l300 + "\n",
         {{0, l300.substr(0, 255)}, {255, std::string(45, 'c') + "\n"}}},
        {"empty file", "", {}},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LineReader reader;
        ASSERT_EQ(reader.Open(folder.Write("f.txt", c.content)), 0);
        const auto got = ReadAll(reader);
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].pos, c.expected[i].pos) << i;
            EXPECT_EQ(got[i].text, c.expected[i].text) << i;
        }
    }
}

TEST(LineReader, ReadsAcrossBlocksAndSeeksAnywhere) {
    // Lines of varying length over several megabytes cross every block boundary.
    std::string content;
    std::vector<Piece> expected;
    for (int i = 0; content.size() < 3'500'000; ++i) {
        std::string line = std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), 'x');
        line += (i % 5 == 0) ? "\r\n" : "\n";
        expected.push_back({static_cast<std::int64_t>(content.size()),
                            line.substr(0, line.size() - (i % 5 == 0 ? 2 : 1)) + "\n"});
        content += line;
    }
    TempFolder folder;
    LineReader reader;
    ASSERT_EQ(reader.Open(folder.Write("big.txt", content)), 0);
    EXPECT_EQ(reader.Size(), static_cast<std::int64_t>(content.size()));
    const auto got = ReadAll(reader);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i].pos, expected[i].pos) << i;
        ASSERT_EQ(got[i].text, expected[i].text) << i;
    }
    // Seeks backwards, forwards, into the middle of a line and past the end.
    for (std::size_t index : {std::size_t{40000}, std::size_t{7}, expected.size() - 1}) {
        ASSERT_TRUE(reader.Seek(expected[index].pos));
        std::string_view line;
        std::int64_t pos = 0;
        ASSERT_EQ(reader.Next(line, pos), LineReader::kLine);
        EXPECT_EQ(pos, expected[index].pos);
        EXPECT_EQ(line, expected[index].text);
    }
    ASSERT_TRUE(reader.Seek(expected[100].pos + 1));
    std::string_view line;
    std::int64_t pos = 0;
    ASSERT_EQ(reader.Next(line, pos), LineReader::kLine);
    EXPECT_EQ(line, expected[100].text.substr(1));
    ASSERT_TRUE(reader.Seek(static_cast<std::int64_t>(content.size()) + 10));
    EXPECT_EQ(reader.Next(line, pos), LineReader::kEnd);
    EXPECT_FALSE(reader.Seek(-1));
}

TEST(LineReader, ReportsFilesThatCannotBeRead) {
    TempFolder folder;
    LineReader reader;
    EXPECT_NE(reader.Open(folder.File("missing.txt")), 0);
    EXPECT_NE(reader.Open(folder.File("")), 0);  // the folder itself
    std::string_view line;
    std::int64_t pos = 0;
    EXPECT_EQ(reader.Next(line, pos), LineReader::kFailed);
}

}  // namespace
}  // namespace brennic
