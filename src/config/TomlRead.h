#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <toml++/toml.h>

namespace brennic {

// Small readers for the sections of brennic.toml. Each reads one key of `section` into
// `value` when the key is there and has the right type (and range); otherwise `value` keeps
// its default and, for a key that is there but wrong, one line is added to `problems`:
// "brennic.toml line 4: [http] port must be a whole number from 1 to 65535". A null
// `section` (the section is absent) reads nothing. Any thread.

void ReadBool(const toml::table* section, const char* sectionName, const char* key, bool& value,
              std::vector<std::string>& problems);
void ReadInt(const toml::table* section, const char* sectionName, const char* key, int& value,
             int lowest, int highest, std::vector<std::string>& problems);
// A number; a whole number is taken as well ("threshold = 240").
void ReadDouble(const toml::table* section, const char* sectionName, const char* key, double& value,
                double lowest, double highest, std::vector<std::string>& problems);
void ReadString(const toml::table* section, const char* sectionName, const char* key,
                std::string& value, std::vector<std::string>& problems);

// What keeps `text` from the TOML parser, as "line N: why", or "" when nothing does. TOML
// allows characters outside ASCII only in strings and comments, and control characters (but
// tab, and CR before LF) nowhere; the toml++ of Debian 12 reaches an unreachable branch
// (undefined behaviour) on some of the former where whitespace may stand (U+00A1..,
// U+2C8E.., U+FB26..) and fails its own assertions on some of the latter after a '['. So a text
// with either is refused before it reaches the parser; a text that does not parse even with
// those characters taken out is refused with the parser's own complaint. Any thread.
std::string TomlTextProblem(std::string_view text);

// The "brennic.toml line N: " start of a problem line for `node` (no line when unknown).
std::string ProblemStart(const toml::node& node);

}  // namespace brennic
