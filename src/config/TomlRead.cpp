#include "config/TomlRead.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

namespace brennic {

std::string ProblemStart(const toml::node& node) {
    const auto& where = node.source().begin;
    if (where.line == 0) {
        return "brennic.toml: ";
    }
    return "brennic.toml line " + std::to_string(where.line) + ": ";
}

namespace {

// The first line with a byte above 127 outside a string or a comment; 0 when there is none.
// A quote opens a string only where a key or a value may start (at a line's start or after
// '=', '[', ',', '{' or '.'): inside a bare word the parser reads it as part of the word, and
// would then read the bytes after it as bare ones too.
int FirstBareNonAsciiLine(std::string_view text) {
    int line = 1;
    char before = '\n';  // the last character outside blanks, comments and strings
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto startsWith = [&](std::string_view what) { return text.substr(i, what.size()) == what; };
    // Passes over a string that opened just before `i`; `escapes` for basic strings. False
    // when a byte above 127 follows a backslash (after blanks and line ends, if any): no
    // escape allows that, and the parser reads those bytes as possible whitespace.
    auto skipString = [&](std::string_view close, bool escapes, bool multiLine) {
        while (i < n) {
            const char c = text[i];
            if (c == '\n') {
                if (!multiLine) {
                    return true;  // an unclosed one-line string: the parser says so
                }
                ++line;
            } else if (escapes && c == '\\') {
                std::size_t next = i + 1;
                while (next < n && (text[next] == ' ' || text[next] == '\t' || text[next] == '\r' ||
                                    text[next] == '\n')) {
                    ++next;
                }
                if (next < n && static_cast<unsigned char>(text[next]) >= 0x80) {
                    return false;
                }
                i += i + 1 < n && text[i + 1] == '\n' ? 1 : 2;
                continue;
            } else if (startsWith(close)) {
                i += close.size();
                // A multi-line string may end in up to two more quotes of its own.
                for (int extra = 0; multiLine && extra < 2 && i < n && text[i] == close[0];
                     ++extra) {
                    ++i;
                }
                return true;
            }
            ++i;
        }
        return true;
    };
    while (i < n) {
        const char c = text[i];
        const bool opens = before == '\n' || before == '=' || before == '[' || before == ',' ||
                           before == '{' || before == '.';
        if (c == '\n') {
            ++line;
            ++i;
            before = '\n';
            continue;
        }
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        before = c;
        if (c == '#') {
            while (i < n && text[i] != '\n') {
                ++i;
            }
        } else if (!opens && (c == '"' || c == '\'')) {
            ++i;
        } else if (startsWith("\"\"\"")) {
            i += 3;
            if (!skipString("\"\"\"", true, true)) {
                return line;
            }
        } else if (startsWith("'''")) {
            i += 3;
            skipString("'''", false, true);
        } else if (c == '"') {
            ++i;
            if (!skipString("\"", true, false)) {
                return line;
            }
        } else if (c == '\'') {
            ++i;
            skipString("'", false, false);
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            return line;
        } else {
            ++i;
        }
    }
    return 0;
}

// The first control character TOML does not allow, with its line; line 0 when there is none.
std::pair<int, unsigned char> FirstControlCharacter(std::string_view text) {
    int line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
        } else if ((c < 0x20 && c != '\t' &&
                    !(c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) ||
                   c == 0x7F) {
            return {line, c};
        }
    }
    return {0, 0};
}

}  // namespace

std::string TomlTextProblem(std::string_view text) {
    if (const auto [line, c] = FirstControlCharacter(text); line != 0) {
        char code[8];
        std::snprintf(code, sizeof code, "0x%02X", c);
        return "line " + std::to_string(line) + ": a control character (" + code +
               ") may not stand in a TOML file";
    }
    const std::string outside =
        ": a character outside ASCII may only stand in a quoted string or a comment";
    if (const int line = FirstBareNonAsciiLine(text); line != 0) {
        return "line " + std::to_string(line) + outside;
    }
    // The scan above follows TOML's strings as they stand in a valid text; in a broken one the
    // parser may see other strings than it does. So the text's structure is checked first with
    // every byte outside ASCII replaced by '~', which TOML allows only where such a byte may
    // stand (in strings and comments): if that copy parses, the bytes stand there in the text
    // too; if not, neither parses, and the copy's error is told instead.
    if (std::none_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        return {};
    }
    std::string copy(text);
    for (char& c : copy) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            c = '~';
        }
    }
    try {
        (void)toml::parse(std::string_view(copy));
    } catch (const toml::parse_error& e) {
        const auto line = static_cast<int>(e.source().begin.line);
        std::string_view rest = text;
        for (int i = 1; i < line && !rest.empty(); ++i) {
            const std::size_t end = rest.find('\n');
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        }
        const std::string_view lineText = rest.substr(0, rest.find('\n'));
        const bool nonAscii = std::any_of(lineText.begin(), lineText.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80;
        });
        return "line " + std::to_string(line) +
               (nonAscii ? outside : ": " + std::string(e.description()));
    }
    return {};
}

namespace {

std::string Name(const char* sectionName, const char* key) {
    return std::string("[") + sectionName + "] " + key;
}

}  // namespace

void ReadBool(const toml::table* section, const char* sectionName, const char* key, bool& value,
              std::vector<std::string>& problems) {
    const toml::node* node = section != nullptr ? section->get(key) : nullptr;
    if (node == nullptr) {
        return;
    }
    if (const auto v = node->value_exact<bool>()) {
        value = *v;
        return;
    }
    problems.push_back(ProblemStart(*node) + Name(sectionName, key) + " must be true or false");
}

void ReadInt(const toml::table* section, const char* sectionName, const char* key, int& value,
             int lowest, int highest, std::vector<std::string>& problems) {
    const toml::node* node = section != nullptr ? section->get(key) : nullptr;
    if (node == nullptr) {
        return;
    }
    if (const auto v = node->value_exact<int64_t>(); v && *v >= lowest && *v <= highest) {
        value = static_cast<int>(*v);
        return;
    }
    problems.push_back(ProblemStart(*node) + Name(sectionName, key) +
                       " must be a whole number from " + std::to_string(lowest) + " to " +
                       std::to_string(highest));
}

void ReadDouble(const toml::table* section, const char* sectionName, const char* key, double& value,
                double lowest, double highest, std::vector<std::string>& problems) {
    const toml::node* node = section != nullptr ? section->get(key) : nullptr;
    if (node == nullptr) {
        return;
    }
    std::optional<double> v = node->value_exact<double>();
    if (!v) {
        if (const auto whole = node->value_exact<int64_t>()) {
            v = static_cast<double>(*whole);
        }
    }
    if (v && *v >= lowest && *v <= highest) {
        value = *v;
        return;
    }
    char range[64];
    std::snprintf(range, sizeof range, "%g to %g", lowest, highest);
    problems.push_back(ProblemStart(*node) + Name(sectionName, key) + " must be a number from " +
                       range);
}

void ReadString(const toml::table* section, const char* sectionName, const char* key,
                std::string& value, std::vector<std::string>& problems) {
    const toml::node* node = section != nullptr ? section->get(key) : nullptr;
    if (node == nullptr) {
        return;
    }
    if (const auto v = node->value_exact<std::string>()) {
        value = *v;
        return;
    }
    problems.push_back(ProblemStart(*node) + Name(sectionName, key) + " must be a quoted text");
}

}  // namespace brennic
