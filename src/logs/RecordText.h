#pragma once

#include <filesystem>
#include <string>

namespace brennic {

// Helpers shared by the daily log and the summary file. Thread-safe.

// Appends `value` like printf's "%<width>.<precision>f" in the C locale, whatever the
// process locale is: at least `width` characters, right-aligned, never cut.
void AppendFixed(std::string& out, double value, int width, int precision = 1);

// Appends `value` like printf's "%i".
void AppendInt(std::string& out, int value);

// The path of `fileName` in the data folder, after creating the folder with all its missing
// parents. A failure to create it is not reported here: opening the file then fails and the
// caller reports that. An empty folder means the working folder.
std::filesystem::path PrepareDataFile(const std::string& folder, const std::string& fileName);

}  // namespace brennic
