#pragma once

#include <optional>
#include <string_view>

namespace brennic {

// The dashboard's files, built into the program from resources/dashboard (the page, its
// script and style, the chart library and its licence). `url` is the path the server
// serves the file at, such as "/" or "/uPlot.min.js". Any thread; the bytes live as long as
// the program.
std::optional<std::string_view> FindEmbeddedFile(std::string_view url);

}  // namespace brennic
