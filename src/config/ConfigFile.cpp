#include "config/ConfigFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "config/ConfigFolders.h"
#include "config/ConfigFormat.h"

namespace brennic {

namespace {

constexpr const char* kFileName = "Config.Txt";

std::string InFolder(const std::string& folder, const char* name) {
    return folder + "/" + name;
}

bool Fail(std::string* why, const std::string& what, int error) {
    if (why != nullptr) {
        *why = what + ": " + std::system_category().message(error);
    }
    return false;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Makes the rename itself durable; a failure here loses nothing already written.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

ConfigPaths ResolveConfigPaths(const ProgramIdentity& identity,
                               const std::optional<std::string>& configDirOverride) {
    ConfigPaths paths;
    paths.configFolder = ResolveConfigFolder(identity.name, configDirOverride);
    paths.programFolder = identity.folder;
    paths.dataFolder = ResolveDataFolder(identity.name);
    return paths;
}

namespace {

// A save killed midway leaves its scratch copy (".Config.Txt.XXXXXX", mode 0600, with the
// password) behind; nothing else will ever remove it.
void RemoveLeftoverSaves(const std::string& folder) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 18 && name.rfind(".Config.Txt.", 0) == 0 && entry.is_regular_file(ec)) {
            std::filesystem::remove(entry.path(), ec);
        }
    }
}

// A Config.Txt that holds the FTP password must not be readable by other users (an older
// version, a copy, or an editor may have left it so): tightened once, and the user is told.
void TightenIfSecret(AppState& state, const std::string& path, const Config& config) {
    struct stat st {};
    if (config.ftpPassword.empty() || ::stat(path.c_str(), &st) != 0 || (st.st_mode & 077) == 0 ||
        st.st_uid != ::geteuid()) {
        return;
    }
    if (::chmod(path.c_str(), 0600) == 0) {
        state.showMessage(path +
                              " holds the FTP password and could be read by other users; it "
                              "is now readable by you alone.",
                          "Warning");
    }
}

}  // namespace

ConfigSource LoadConfig(AppState& state, const ConfigPaths& paths) {
    Config config;
    ChannelTable channels;
    DisplayFont font;
    int glycolCount = 0;
    {
        StateGuard guard(state.lock);
        // The One-Wire settings and the history limit are not reset by a load.
        const Config& old = state.config;
        config.oneWireServerIp = old.oneWireServerIp;
        config.oneWirePort = old.oneWirePort;
        config.oneWireTimer = old.oneWireTimer;
        config.oneWireProbes = old.oneWireProbes;
        config.maxSamples = old.maxSamples;
        channels = state.channels;
        font = state.font;
        glycolCount = state.glycol.count;
    }
    config.dataFolder = paths.dataFolder;
    config.configFolder = paths.configFolder;
    CreateFolderPath(paths.configFolder);
    if (!paths.configFolder.empty()) {
        RemoveLeftoverSaves(paths.configFolder);
    }

    ConfigSource source = ConfigSource::kDefaults;
    std::ifstream in;
    if (!paths.configFolder.empty()) {
        in.open(InFolder(paths.configFolder, kFileName), std::ios::binary);
        source = ConfigSource::kConfigFolder;
    }
    if (!in.is_open() && !paths.programFolder.empty()) {
        in.open(InFolder(paths.programFolder, kFileName), std::ios::binary);
        source = ConfigSource::kProgramFolder;
    }
    if (!in.is_open()) {
        source = ConfigSource::kDefaults;
        // Factory settings pass the dialog's own checks: only a BTU controller reports a
        // flow, so the others take the fixed rate.
        if (config.controllerType != kVexin2Btu) {
            config.flowSource = 1;
        }
    } else {
        config.loadedFromProgramFolder = source == ConfigSource::kProgramFolder;
        ParseConfig(in, config, channels, font, glycolCount);
        TightenIfSecret(state,
                        InFolder(source == ConfigSource::kProgramFolder ? paths.programFolder
                                                                        : paths.configFolder,
                                 kFileName),
                        config);
    }
    {
        StateGuard guard(state.lock);
        state.config = std::move(config);
        state.channels = std::move(channels);
        state.font = std::move(font);
    }
    if (source == ConfigSource::kDefaults) {
        state.showMessage(kConfigNotRestoredText, "");
    }
    return source;
}

bool SaveConfig(const AppState& state, std::string* why) {
    const std::string& folder = state.config.configFolder;
    if (folder.empty()) {
        return Fail(why, "no configuration folder", ENOENT);
    }
    CreateFolderPath(folder);
    std::string target = InFolder(folder, kFileName);
    // A Config.Txt that is a symbolic link (kept with other dot files, say) stays one: the
    // file it points to is replaced.
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const auto resolved = std::filesystem::canonical(target, ec);
        if (!ec) {
            target = resolved.string();
        }
    }
    const std::string text = FormatConfig(state.config, state.channels, state.font);

    // mkostemp creates the file with mode 0600: it holds the FTP password.
    std::string temp = std::filesystem::path(target).parent_path().string() + "/.Config.Txt.XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return Fail(why, "cannot create " + temp, errno);
    }
    if (!WriteAll(fd, text) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return Fail(why, "cannot write " + temp, error);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return Fail(why, "cannot write " + temp, error);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return Fail(why, "cannot replace " + target, error);
    }
    SyncFolder(std::filesystem::path(target).parent_path().string());
    return true;
}

}  // namespace brennic
