#include "config/ConfigFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "config/LineScanner.h"

namespace brennic {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

std::string HomeFolder() {
    std::string home = Env("HOME");
    if (home.empty()) {
        // No HOME (started from a service or a bare environment): ask the password database.
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* result = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
            result != nullptr && result->pw_dir != nullptr) {
            home = result->pw_dir;
        }
    }
    if (home.empty()) {
        std::error_code ec;
        home = std::filesystem::current_path(ec).string();
    }
    return WithoutTrailingSlashes(home);
}

// XDG base directories must be absolute; a relative value is to be ignored.
std::string XdgConfigHome() {
    const std::string xdg = Env("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg.front() == '/') {
        return WithoutTrailingSlashes(xdg);
    }
    return HomeFolder() + "/.config";
}

// The value of XDG_DOCUMENTS_DIR in a user-dirs.dirs file: a shell assignment of a quoted
// "$HOME/..." or absolute path. Returns "" when the file names none we can use.
std::string UserDirsDocuments(const std::string& file, const std::string& home) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::string found;
    while (in && ReadTextLine(in, line)) {
        std::size_t p = line.find_first_not_of(" \t");
        const std::string key = "XDG_DOCUMENTS_DIR";
        if (p == std::string::npos || line.compare(p, key.size(), key) != 0) {
            continue;
        }
        p = line.find_first_not_of(" \t", p + key.size());
        if (p == std::string::npos || line[p] != '=') {
            continue;
        }
        ++p;
        std::string value;
        const bool quoted = p < line.size() && line[p] == '"';
        if (quoted) {
            ++p;
        }
        for (; p < line.size(); ++p) {
            const char c = line[p];
            if (quoted ? c == '"' : (c == ' ' || c == '\t' || c == '#')) {
                break;
            }
            if (c == '\\' && p + 1 < line.size()) {
                ++p;
            }
            value.push_back(line[p]);
        }
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
            value = home + value.substr(5);
        }
        if (!value.empty() && value.front() == '/') {
            found = WithoutTrailingSlashes(value);  // the last assignment wins, as in a shell
        }
    }
    return found;
}

}  // namespace

std::string ResolveConfigFolder(const std::string& programName,
                                const std::optional<std::string>& overrideDir) {
    if (overrideDir) {
        std::error_code ec;
        std::filesystem::path p = std::filesystem::absolute(*overrideDir, ec);
        if (ec) {
            p = *overrideDir;
        }
        return WithoutTrailingSlashes(p.lexically_normal().string());
    }
    return Join(XdgConfigHome(), programName);
}

std::string DocumentsFolder() {
    const std::string home = HomeFolder();
    const std::string fromFile = UserDirsDocuments(XdgConfigHome() + "/user-dirs.dirs", home);
    return fromFile.empty() ? home + "/Documents" : fromFile;
}

std::string ResolveDataFolder(const std::string& programName) {
    return Join(DocumentsFolder(), programName);
}

bool CreateFolderPath(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    // Existing folders (EEXIST) and ones we may not create are sorted out by the final check.
    std::size_t p = 0;
    while (p != std::string::npos) {
        p = folder.find('/', p + 1);
        const std::string prefix = folder.substr(0, p);
        if (!prefix.empty()) {
            ::mkdir(prefix.c_str(), 0700);
        }
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace brennic
