#include "web/WebPublisher.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace brennic {

namespace {

constexpr const char* kTempName = "TEMP.htm";
constexpr int kDeleteAttempts = 6;
constexpr int kMaxIntervalMinutes = 1000000;  // keeps the wait inside the clock's range

// Where the screen-shot scratch folder goes: the chosen folder, else the user's runtime folder
// (private to the user), else the system's temporary folder.
std::filesystem::path ScratchBase(const std::string& chosen) {
    if (!chosen.empty()) {
        return chosen;
    }
    std::error_code ec;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && std::filesystem::is_directory(runtime, ec)) {
        return runtime;
    }
    std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path("/tmp") : folder;
}

// Writes `content` to folder/name through a scratch file beside it and a rename, so that a
// reader (a web server) sees the old page or the new one, never a part: a full disk leaves the
// old page in place. Returns 0 or the errno value.
int WriteLocalFile(const std::string& folder, const std::string& name, std::string_view content) {
    std::string scratch = folder + "/." + name + ".XXXXXX";
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) {
        return errno;
    }
    int error = ::fchmod(fd, 0644) == 0 ? 0 : errno;
    for (std::size_t done = 0; error == 0 && done < content.size();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno != EINTR) {
            error = errno;
        } else if (n > 0) {
            done += static_cast<std::size_t>(n);
        }
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    const std::string target = folder + "/" + name;
    if (error == 0 && ::rename(scratch.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(scratch.c_str());
    }
    return error;
}

}  // namespace

// The settings one publication works with, copied under the StateLock at its start.
struct WebPublisher::Settings {
    bool uploadFtp = false;
    bool writeToDisk = false;
    bool showErrors = false;
    bool includeScreenShot = false;
    std::string user;
    std::string password;
    std::string server;
    std::string serverPath;
    std::string folder;
};

WebPublisher::WebPublisher(AppState& state, WebPublisherOptions options)
    : state_(state), options_(std::move(options)) {}

WebPublisher::~WebPublisher() {
    StopPublisher();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WebPublisher::SetScreenShot(ScreenShotFn fn) {
    screenShot_ = std::move(fn);
}

void WebPublisher::SetLinkStatus(LinkStatusFn fn) {
    linkStatus_ = std::move(fn);
}

void WebPublisher::SetErrorBox(MessageHook fn) {
    errorBox_ = std::move(fn);
}

void WebPublisher::SetConsoleAttached(bool attached) {
    consoleAttached_ = attached;
}

void WebPublisher::StartPublisher() {
    if (running_) {
        return;
    }
    if (thread_.joinable()) {
        thread_.join();  // an earlier thread that has ended
    }
    stop_ = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wakeSignalled_ = false;
    }
    running_ = true;
    try {
        thread_ = std::thread(&WebPublisher::Run, this);
    } catch (const std::system_error& e) {
        errno = e.code().value();
        FatalError(state_.showMessage, "Failed to Create FTP WEB Thread", e.code().value());
    }
}

void WebPublisher::StopPublisher() {
    stop_ = true;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wakeSignalled_ = true;
    }
    wake_.notify_all();
}

void WebPublisher::WakePublisher() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wakeSignalled_ = true;
    }
    wake_.notify_all();
}

bool WebPublisher::Finished() const {
    return !running_;
}

WebCounters WebPublisher::Counters() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counters_;
}

void WebPublisher::WaitForWake(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, timeout, [this] { return wakeSignalled_ || stop_.load(); });
    wakeSignalled_ = false;
}

void WebPublisher::Run() {
    std::chrono::milliseconds timeout = options_.firstDelay;
    for (;;) {
        WaitForWake(timeout);
        if (stop_) {
            break;
        }
        Publish();
        if (stop_) {
            break;
        }
        int minutes = 1;
        {
            StateGuard guard(state_.lock);
            minutes = state_.config.webIntervalMinutes;
        }
        // The interval runs from the end of this publication.
        timeout = options_.minute * std::clamp(minutes, 1, kMaxIntervalMinutes);
    }
    running_ = false;
}

int WebPublisher::Publish() {
    Settings settings;
    {
        StateGuard guard(state_.lock);
        const Config& c = state_.config;
        settings.uploadFtp = c.webUploadFtp != 0;
        settings.writeToDisk = c.webWriteToDisk != 0;
        settings.showErrors = c.webShowErrors != 0;
        settings.includeScreenShot = c.webIncludeScreenShot != 0;
        settings.user = c.ftpUserId;
        settings.password = c.ftpPassword;
        settings.server = c.ftpServer;
        settings.serverPath = c.ftpServerPath;
        settings.folder = c.webFolder;
    }
    int code = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cause_.clear();
    }
    try {
        PublishFiles(settings);
    } catch (const Raised& raised) {
        code = raised.code;
    } catch (const Stopped&) {
        return 0;  // the program is ending: nobody to tell
    }
    if (code != 0) {
        ReportError(code, settings.showErrors);
    } else {
        std::lock_guard<std::mutex> lock(mutex_);
        counters_.lastErrorText.clear();
    }
    return code;
}

void WebPublisher::PublishFiles(const Settings& settings) {
    std::optional<FtpClient> ftp;
    if (settings.uploadFtp) {
        FtpOptions ftpOptions = options_.ftp;
        ftpOptions.cancelled = [this] { return stop_.load(); };
        ftp.emplace(std::move(ftpOptions));
        switch (
            ftp->Connect(settings.server, settings.user, settings.password, settings.serverPath)) {
            case FtpStatus::kOk:
                break;
            case FtpStatus::kCancelled:
                throw Stopped{};
            case FtpStatus::kNoSession:
                RaiseFtp(*ftp, kWebNoSession);
            case FtpStatus::kHostUnknown:
                RaiseFtp(*ftp, kWebHostUnknown);
            case FtpStatus::kLoginRefused:
                RaiseFtp(*ftp, kWebLoginRefused);
            case FtpStatus::kDirectoryRefused:
                RaiseFtp(*ftp, kWebBadPath);
            default:
                RaiseFtp(*ftp, kWebLoginFailed);
        }
    }

    // A publication counts once it gets as far as writing the statistics page, which carries
    // its number; one that fails to log in does not (the errors count it).
    int uploadNumber = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        uploadNumber = ++counters_.uploads;
    }
    // One consistent copy for both pages, taken after the (possibly slow) login.
    PageSnapshot snapshot;
    {
        StateGuard guard(state_.lock);
        const LinkStatus links = linkStatus_ ? linkStatus_() : LinkStatus{};
        snapshot = TakePageSnapshot(state_, links, uploadNumber, std::time(nullptr));
    }
    FtpClient* client = ftp ? &*ftp : nullptr;
    PublishFile(client, settings, "BRN_Stats.htm", WriteStatsPage(snapshot), true);
    PublishFile(client, settings, "BRN_Probes.htm", WriteProbesPage(snapshot), true);
    if (settings.includeScreenShot && consoleAttached_) {
        // Taken before any target is opened, so a failed shot leaves no empty file behind.
        const std::string jpeg = TakeScreenShot();
        // A JPEG is binary: an ASCII transfer would let the server rewrite its line ends.
        PublishFile(client, settings, "ScreenShot.jpg", jpeg, false);
    }
    if (ftp) {
        ftp->Close();
    }
}

void WebPublisher::PublishFile(FtpClient* ftp, const Settings& settings, const std::string& name,
                               const std::string& content, bool ascii) {
    if (stop_) {
        throw Stopped{};
    }
    if (ftp != nullptr) {
        // Readers of the site never see a half-written file: it arrives as TEMP.htm first.
        switch (ftp->Store(kTempName, content, ascii, true)) {
            case FtpStatus::kOk:
                break;
            case FtpStatus::kCancelled:
                throw Stopped{};
            case FtpStatus::kWriteFailed:
                RaiseFtp(*ftp, kWebUploadFailed);
            case FtpStatus::kCloseFailed:
                RaiseFtp(*ftp, kWebCloseFailed);
            default:
                RaiseFtp(*ftp, kWebOpenFailed);
        }
    }
    if (settings.writeToDisk) {
        if (settings.folder.empty()) {
            RaiseSystem(ENOENT, kWebScreenOrLocal);
        }
        const int error = WriteLocalFile(settings.folder, name, content);
        if (error != 0) {
            RaiseSystem(error, kWebScreenOrLocal);
        }
    }
    if (ftp != nullptr) {
        // Some servers will not rename over an existing file, hence the delete first. It may
        // fail for a while (a reader holds the file), so it is tried a few times.
        for (int attempt = 1; attempt <= kDeleteAttempts; ++attempt) {
            const FtpStatus status = ftp->Delete(name);
            if (status == FtpStatus::kOk) {
                break;
            }
            if (status == FtpStatus::kCancelled) {
                throw Stopped{};
            }
            if (attempt < kDeleteAttempts) {
                WaitForWake(options_.retryDelay);
                if (stop_) {
                    throw Stopped{};
                }
            }
        }
        switch (ftp->Rename(kTempName, name)) {
            case FtpStatus::kOk:
                break;
            case FtpStatus::kCancelled:
                throw Stopped{};
            default:
                RaiseFtp(*ftp, kWebRenameFailed);
        }
    }
}

std::string WebPublisher::TakeScreenShot() {
    if (stop_) {
        throw Stopped{};
    }
    // The renderer writes a file. It goes into a folder of our own (mode 0700) under a name
    // nobody can guess, so that a link planted in a shared temporary folder cannot redirect
    // the write and two users publishing on one host never meet; both go at once after use.
    std::string folder = (ScratchBase(options_.tempFolder) / "brennic-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        RaiseSystem(errno, kWebScreenOrLocal);
    }
    std::string path = folder + "/ScreenShot-XXXXXX.jpg";
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0) {
        const int error = errno;
        ::rmdir(folder.c_str());
        RaiseSystem(error, kWebScreenOrLocal);
    }
    ::close(fd);
    auto removeScratch = [&] {
        ::unlink(path.c_str());
        ::rmdir(folder.c_str());
    };
    if (!screenShot_ || !screenShot_(path)) {
        removeScratch();
        throw Raised{kWebScreenOrLocal};  // the recorded error stays the earlier one
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        const int error = errno;
        removeScratch();
        RaiseSystem(error, kWebScreenOrLocal);
    }
    std::string bytes;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, n);
    }
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    removeScratch();
    if (failed) {
        RaiseSystem(readErrno, kWebScreenOrLocal);
    }
    return bytes;
}

void WebPublisher::RaiseFtp(const FtpClient& ftp, int code) {
    RecordError(ftp.LastErrorCode(), ftp.LastErrorText());
    throw Raised{code};
}

void WebPublisher::RaiseSystem(int errnoValue, int code) {
    RecordError(errnoValue, std::system_category().message(errnoValue));
    throw Raised{code};
}

void WebPublisher::RecordError(long code, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    counters_.lastErrorCode = code;
    counters_.lastErrorText = text;
    cause_ = text;
}

void WebPublisher::ReportError(int code, bool showBox) {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::string message = CountWebError(counters_, code, cause_);
        if (!showBox) {
            return;
        }
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, "Error: %ld %s", counters_.lastErrorCode,
                      message.c_str());
        counters_.lastErrorText = buffer;
        text = buffer;
    }
    if (stop_) {
        return;
    }
    // The box blocks this thread until the user closes it; the next interval waits for that.
    const MessageHook& box = errorBox_ ? errorBox_ : state_.showMessage;
    if (box) {
        box(text, "FTP Error");
    }
}

}  // namespace brennic
