#include "ui/replay/ReplayRunner.h"

#include <QFileDialog>
#include <QStandardPaths>
#include <array>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>

#include "replay/CaptureReader.h"
#include "replay/DataRecorderReader.h"
#include "replay/LineReader.h"
#include "replay/OwnLogReader.h"
#include "ui/replay/CaptureStartDialog.h"
#include "ui/replay/RecordErrorDialog.h"
#include "ui/replay/RecordRangeDialog.h"
#include "ui/window/HandOver.h"

namespace brennic {

namespace {

// Runs on the replay thread: hands progress to the main thread, and waits there for the
// answer of the record error dialog and for the read error message to be closed. While it
// waits it watches the stop flag, so that a closing window never waits on a dialog.
class ThreadEvents : public ReplayEvents {
  public:
    ThreadEvents(QObject& context, ReplayWindow& window, AppState& state, QPointer<QWidget> parent,
                 const std::atomic<bool>& stop)
        : context_(context), window_(window), state_(state), parent_(parent), stop_(stop) {}

    // Lines are coalesced: a file full of bad records changes line 6 far faster than anyone
    // can read it, so the main thread gets one pending update with the latest texts.
    void ProgressLine(int line, const std::string& text) override {
        if (line < 1 || line > 6) {
            return;
        }
        std::lock_guard<std::mutex> guard(pending_->mutex);
        pending_->text[static_cast<std::size_t>(line)] = text;
        if (!pending_->posted) {
            pending_->posted = true;
            Post([pending = pending_, w = &window_] {
                std::array<std::optional<std::string>, 7> latest;
                {
                    std::lock_guard<std::mutex> lock(pending->mutex);
                    latest.swap(pending->text);
                    pending->posted = false;
                }
                for (std::size_t i = 1; i < latest.size(); ++i) {
                    if (latest[i]) {
                        w->SetReplayLine(static_cast<int>(i), *latest[i]);
                    }
                }
            });
        }
    }
    void TitleSuffix(const std::string& text) override {
        Post([w = &window_, text] { w->SetTitleSuffix(text); });
    }
    RecordErrorChoice AskRecordError(const std::string& text) override {
        auto answer = std::make_shared<std::promise<RecordErrorChoice>>();
        std::future<RecordErrorChoice> future = answer->get_future();
        Post([answer, parent = parent_, text] {
            answer->set_value(RecordErrorDialog::Ask(parent, QString::fromStdString(text)));
        });
        return Wait(future, RecordErrorChoice::kAbort);
    }
    void ReadError(int, const std::string& text, const std::string& caption) override {
        auto done = std::make_shared<std::promise<bool>>();
        std::future<bool> future = done->get_future();
        Post([done, s = &state_, text, caption] {
            s->showMessage(text, caption);
            done->set_value(true);
        });
        Wait(future, false);
    }

  private:
    void Post(std::function<void()> call) { PostCall(&context_, std::move(call)); }
    template <typename T>
    T Wait(std::future<T>& future, T onStop) {
        while (future.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            if (stop_.load()) {
                return onStop;
            }
        }
        return future.get();
    }

    struct Pending {
        std::mutex mutex;
        std::array<std::optional<std::string>, 7> text;  // lines 1..6
        bool posted = false;
    };

    QObject& context_;
    ReplayWindow& window_;
    AppState& state_;
    QPointer<QWidget> parent_;
    const std::atomic<bool>& stop_;
    std::shared_ptr<Pending> pending_ = std::make_shared<Pending>();
};

// The capture replay runs on the main thread and talks to the window directly.
class DirectEvents : public ReplayEvents {
  public:
    DirectEvents(ReplayWindow& window, AppState& state) : window_(window), state_(state) {}
    void TitleSuffix(const std::string& text) override { window_.SetTitleSuffix(text); }
    void ReadError(int, const std::string& text, const std::string& caption) override {
        state_.showMessage(text, caption);
    }

  private:
    ReplayWindow& window_;
    AppState& state_;
};

}  // namespace

ReplayRunner::ReplayRunner(AppState& state, QWidget* parent, ReplayWindow& window)
    : state_(state), parent_(parent), window_(window) {}

ReplayRunner::~ReplayRunner() {
    stop_.store(true);
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool ReplayRunner::ChooseFile(const char* title, std::string& path) {
    if (lastLogFolder_.empty()) {
        lastLogFolder_ =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    }
    QFileDialog dialog(parent_, QString::fromLatin1(title), QString::fromStdString(lastLogFolder_),
                       QStringLiteral("Text Files (*.TXT *.txt)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(QStringLiteral("TXT"));
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    path = dialog.selectedFiles().first().toStdString();
    const std::size_t slash = path.find_last_of('/');
    lastLogFolder_ = slash == std::string::npos ? std::string() : path.substr(0, slash);
    return true;
}

void ReplayRunner::StartDataRecorderReader() {
    StartWithDialogs(Kind::kDataRecorder, "Open QMX Data Recorder Log File");
}

void ReplayRunner::StartOwnLogReader() {
    StartWithDialogs(Kind::kOwnLog, "Open Log File");
}

void ReplayRunner::StartWithDialogs(Kind kind, const char* title) {
    if (Running()) {
        window_.Beep();
        return;
    }
    window_.BeginReplay();
    window_.SetReplayLine(1, "Get File Name");
    std::string path;
    bool chosen = ChooseFile(title, path);
    RecordRange range;
    if (chosen) {
        RecordRangeDialog panel(parent_, true);
        chosen = panel.exec() == QDialog::Accepted;
        range = panel.Range();
    }
    if (!chosen) {
        window_.Beep();
        window_.EndReplay(false);
        return;
    }
    StartReplay(kind, path, range);
}

bool ReplayRunner::StartReplay(Kind kind, const std::string& path, const RecordRange& range) {
    if (Running()) {
        return false;
    }
    stop_.store(false);
    thread_ = std::thread([this, kind, path, range] {
        ThreadEvents events(context_, window_, state_, parent_, stop_);
        const ReplayOutcome outcome =
            kind == Kind::kDataRecorder
                ? ReplayDataRecorderFile(state_, path, range, events, &stop_)
                : ReplayOwnLogFile(state_, path, range, events, &stop_);
        PostCall(&context_, [this, outcome] { Finished(outcome); });
    });
    return true;
}

void ReplayRunner::Finished(const ReplayOutcome& outcome) {
    if (thread_.joinable()) {
        thread_.join();
    }
    if (!outcome.opened) {
        window_.Beep();
    }
    window_.EndReplay(outcome.dataReceived);
}

void ReplayRunner::ReadCaptureFile() {
    if (Running()) {
        window_.Beep();
        return;
    }
    std::string path;
    if (!ChooseFile("Open Log File", path)) {
        window_.Beep();
        return;
    }
    {
        LineReader probe;
        if (probe.Open(path) != 0) {
            window_.Beep();
            return;
        }
    }
    CaptureStartDialog dialog(parent_, CaptureDefaultStart(path));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    DirectEvents events(window_, state_);
    const ReplayOutcome outcome =
        ReplayCaptureFile(state_, path, dialog.Start(), dialog.Interval(), events);
    if (!outcome.opened) {
        window_.Beep();
    }
    window_.EndReplay(outcome.dataReceived);
}

}  // namespace brennic
