#include "config/BrennicSettings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <toml++/toml.h>

#include "config/TomlRead.h"

namespace brennic {

namespace {

const toml::table* Section(const toml::table& root, const char* name,
                           std::vector<std::string>& problems) {
    const toml::node* node = root.get(name);
    if (node == nullptr) {
        return nullptr;
    }
    if (const toml::table* t = node->as_table()) {
        return t;
    }
    const auto line = node->source().begin.line;
    problems.push_back("brennic.toml line " + std::to_string(line) + ": " + name +
                       " must be a section ([" + name + "])");
    return nullptr;
}

bool HoldsPassword(const toml::table& table) {
    for (const auto& [key, node] : table) {
        if (const toml::table* inner = node.as_table()) {
            if (HoldsPassword(*inner)) {
                return true;
            }
        } else if (key.str().find("password") != std::string_view::npos) {
            const auto v = node.value<std::string>();
            if (v && !v->empty()) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

SettingsLoad ParseBrennicSettings(const std::string& text) {
    SettingsLoad load;
    load.found = true;
    if (const std::string problem = TomlTextProblem(text); !problem.empty()) {
        load.problems.push_back("brennic.toml " + problem + "; the defaults are used");
        return load;
    }
    toml::table root;
    try {
        root = toml::parse(std::string_view(text), std::string_view("brennic.toml"));
    } catch (const toml::parse_error& e) {
        load.problems.push_back("brennic.toml line " + std::to_string(e.source().begin.line) +
                                ": " + std::string(e.description()) + "; the defaults are used");
        return load;
    }
    auto& problems = load.problems;
    load.settings.service = ReadServiceSettings(Section(root, "service", problems), problems);
    load.settings.http = ReadHttpSettings(Section(root, "http", problems), problems);
    load.settings.mqtt = ReadMqttSettings(Section(root, "mqtt", problems), problems);
    load.settings.alerts = ReadAlertSettings(Section(root, "alerts", problems), problems);
    return load;
}

SettingsLoad LoadBrennicSettings(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};  // no file: defaults
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseBrennicSettings(text.str());
}

bool SaveBrennicSettings(const std::string& path, const std::string& text, std::string* why) {
    bool secret = false;
    try {
        // A text the parser must not see cannot be told either way: keep it private.
        secret =
            !TomlTextProblem(text).empty() || HoldsPassword(toml::parse(std::string_view(text)));
    } catch (const toml::parse_error&) {
        secret = true;  // cannot tell: keep it private
    }
    auto fail = [why](const std::string& what) {
        if (why != nullptr) {
            *why = what + ": " + std::strerror(errno);
        }
        return false;
    };
    const std::string temp = path + ".new";
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, secret ? 0600 : 0644);
    if (fd < 0) {
        return fail("cannot create " + temp);
    }
    // An older file may have been made with other permissions; set them explicitly.
    ::fchmod(fd, secret ? 0600 : 0644);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const bool r = fail("cannot write " + temp);
            ::close(fd);
            ::unlink(temp.c_str());
            return r;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const bool r = fail("cannot write " + temp);
        ::unlink(temp.c_str());
        return r;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const bool r = fail("cannot replace " + path);
        ::unlink(temp.c_str());
        return r;
    }
    return true;
}

}  // namespace brennic
