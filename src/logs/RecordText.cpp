#include "logs/RecordText.h"

#include <charconv>
#include <system_error>

namespace brennic {

void AppendFixed(std::string& out, double value, int width, int precision) {
    char buffer[400];  // the widest double in fixed notation has 309 digits before the point
    const auto res =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    const auto length = static_cast<int>(res.ptr - buffer);
    if (length < width) {
        out.append(static_cast<std::size_t>(width - length), ' ');
    }
    out.append(buffer, res.ptr);
}

void AppendInt(std::string& out, int value) {
    char buffer[16];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, res.ptr);
}

std::filesystem::path PrepareDataFile(const std::string& folder, const std::string& fileName) {
    if (folder.empty()) {
        return std::filesystem::path(fileName);
    }
    const std::filesystem::path dir(folder);
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir / fileName;
}

}  // namespace brennic
