#include <QCloseEvent>
#include <QCoreApplication>
#include <cstdio>
#include <ctime>

#include "core/MessageProcessor.h"
#include "ui/display/DisplayWidget.h"
#include "ui/window/HandOver.h"
#include "ui/window/MainWindow.h"
#include "ui/window/SleepInhibitor.h"

// The main window's event side: the link threads' events, the replays' window calls, the
// message counters and the guard-word check.

namespace brennic {

void MainWindow::BeginReplay() {
    {
        StateGuard guard(state_.lock);
        state_.replay.active = true;
        for (auto& line : state_.replay.line) {
            line.clear();
        }
    }
    display_->Relayout();
}

void MainWindow::SetReplayLine(int line, const std::string& text) {
    {
        StateGuard guard(state_.lock);
        state_.replay.SetLine(line, text);
    }
    display_->UpdateText();
}

void MainWindow::SetTitleSuffix(const std::string& text) {
    QString title = QString::fromStdString(state_.identity.name);
    if (title.size() + 3 + static_cast<qsizetype>(text.size()) < 260) {
        title += " - " + QString::fromStdString(text);
    }
    setWindowTitle(title + QString::fromStdString(options_.captionNote));
}

void MainWindow::EndReplay(bool dataReceived) {
    {
        StateGuard guard(state_.lock);
        state_.replay.active = false;
        if (dataReceived) {
            state_.processor.newSample = true;
        }
    }
    display_->Relayout();
}

void MainWindow::Beep() {
    RefuseCommand(state_);
}

void MainWindow::Post(AppEvent* e) {
    e->queued = true;
    MarkHandedOver(e);
    QCoreApplication::postEvent(this, e);
}

void MainWindow::PostAppEvent(int type) {
    Post(new AppEvent(type));
}

void MainWindow::CheckGuards(int messageNumber) {
    for (std::size_t i = messageHistory_.size() - 1; i > 0; --i) {
        messageHistory_[i] = messageHistory_[i - 1];
    }
    messageHistory_[0] = messageNumber;
    if (!corruptionReport_) {
        return;
    }
    for (auto g : state_.processor.Guards()) {
        if (g != kGuardWord) {
            corruptionReport_ = false;
            char text[128];
            std::snprintf(text, sizeof text, "SUN Data Corrupted\n %i %i %i %i %i",
                          messageHistory_[0], messageHistory_[1], messageHistory_[2],
                          messageHistory_[3], messageHistory_[4]);
            state_.showMessage(text, "Error");
            return;
        }
    }
}

bool MainWindow::event(QEvent* e) {
    MarkTakenOver(e);  // an event from the station's thread (see Post)
    ++state_.messages.windowProcedure;
    const int type = static_cast<int>(e->type());
    // Events the loop delivers from its queue: our posted events and the window system's.
    const auto* app = IsAppEvent(type) ? dynamic_cast<AppEvent*>(e) : nullptr;
    if (app != nullptr ? app->queued : e->spontaneous()) {
        ++state_.messages.dispatched;
    }
    if (!destroying_) {
        CheckGuards(MessageNumber(type));
    }
    if (IsAppEvent(type)) {
        return HandleAppEvent(e);
    }
    return QMainWindow::event(e);
}

bool MainWindow::HandleAppEvent(QEvent* e) {
    if (destroying_) {
        return true;
    }
    // The station has processed what these events report; the window shows the result.
    switch (static_cast<int>(e->type())) {
        case kControllerLineEvent: {
            const auto* line = dynamic_cast<CodeEvent*>(e);
            const int mismatch = line != nullptr ? line->code : 0;
            if (mismatch == kMismatchGpmLines || mismatch == kMismatchNoGpmLines) {
                ShowModelWarning(mismatch);
            }
            display_->update();
            return true;
        }
        case kReadTimeoutEvent:
            display_->UpdateText();
            return true;
        case kReaderEndedEvent:
            inhibitor_->Release();
            display_->update();
            return true;
        case kReadFailureEvent:
            // The station has closed One-Wire too; its message follows as its own event.
            inhibitor_->Release();
            display_->update();
            return true;
        case kOneWireReplyEvent: {
            const auto* reply = dynamic_cast<CodeEvent*>(e);
            if (reply == nullptr || reply->code != 0) {
                display_->UpdateText();
            }
            return true;
        }
        case kTestDataChangedEvent:
            display_->update();
            return true;
        case kStationMessageEvent:
            if (const auto* message = dynamic_cast<MessageEvent*>(e); showMessage_) {
                if (message != nullptr) {
                    showMessage_(message->text, message->caption);
                }
            }
            return true;
        default:
            return true;  // One-Wire receive failures and its end need no action
    }
}

void MainWindow::closeEvent(QCloseEvent* e) {
    e->accept();
    QMainWindow::closeEvent(e);
}

}  // namespace brennic
