#include "ui/dialogs/StatisticsDialog.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <mutex>

#include "display/StatusText.h"
#include "ui/dialogs/DialogFit.h"

namespace brennic {

namespace {

// Which of the display's status lines each row of the window shows, top to bottom: the
// collector-pump line comes before the high-limit line here.
constexpr std::array<std::size_t, 6> kShownLine = {StatusLines::kTime,   StatusLines::kLastData,
                                                   StatusLines::kPump,   StatusLines::kHighLimit,
                                                   StatusLines::kHaPump, StatusLines::kSamples};

// Status lines are about this many characters long; the window is made wide enough for them.
constexpr int kLineCharacters = 100;

QLineEdit* Counter(const char* name) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight);
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QString(12, '0')) + 16);
    return field;
}

}  // namespace

StatisticsDialog::StatisticsDialog(AppState& state, QWidget* parent,
                                   std::chrono::milliseconds lockTestHold)
    : QDialog(parent), state_(state), lockTester_(state.lock, lockTestHold) {
    setWindowTitle("Statistics");
    setModal(false);
    Build();
}

void StatisticsDialog::Build() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto* line = new QLabel;
        line->setObjectName(QString("statusLine%1").arg(i + 1));
        line->setTextFormat(Qt::PlainText);  // keeps the runs of blanks between the figures
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        line->setFont(fixed);
        line->setMinimumHeight(line->fontMetrics().height());
        column->addWidget(line);
        lines_[i] = line;
    }
    // Room for lines of the usual length from the start; a longer line widens the content,
    // which then scrolls.
    const int usualWidth = QFontMetrics(fixed).horizontalAdvance(QString(kLineCharacters, 'x'));
    column->addSpacerItem(new QSpacerItem(usualWidth, 0, QSizePolicy::Fixed, QSizePolicy::Fixed));

    auto* counters = new QHBoxLayout;
    blocks_ = Counter("blocks");
    queued_ = Counter("queued");
    unqueued_ = Counter("unqueued");
    notWritten_ = Counter("notWritten");
    notWritten_->setToolTip(
        "Log and summary records that could not be written (a full disk, say) since the start");
    dropped_ = Counter("dropped");
    dropped_->setToolTip("One-Wire datagrams that were not the server's reply");
    const std::pair<const char*, QLineEdit*> fields[] = {{"Critical Section Blocks", blocks_},
                                                         {"Queued Msgs", queued_},
                                                         {"Un-Queued Msgs", unqueued_},
                                                         {"Records Not Written", notWritten_},
                                                         {"Dropped Datagrams", dropped_}};
    for (const auto& [label, field] : fields) {
        counters->addWidget(new QLabel(label));
        counters->addWidget(field);
        counters->addSpacing(16);
    }
    counters->addStretch(1);
    column->addSpacing(8);
    column->addLayout(counters);

    auto* buttons = new QHBoxLayout;
    auto* refresh = new QPushButton("Refresh");
    refresh->setObjectName("refresh");
    auto* lockTest = new QPushButton("Lock Test");
    lockTest->setObjectName("lockTest");
    lockTest->setToolTip(
        "Hold the state lock for a while, so that everyone else who needs "
        "it waits and Critical Section Blocks counts up");
    auto* cancel = new QPushButton("Cancel");
    cancel->setObjectName("cancel");
    connect(refresh, &QPushButton::clicked, this, &StatisticsDialog::Refresh);
    connect(lockTest, &QPushButton::clicked, this, &StatisticsDialog::StartLockTest);
    connect(cancel, &QPushButton::clicked, this, &StatisticsDialog::reject);
    buttons->addWidget(refresh);
    buttons->addWidget(lockTest);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    column->addLayout(buttons);
    column->addStretch(1);

    scroll_ = MakeScrollingDialog(*this, content);
}

bool StatisticsDialog::Open() {
    if (isVisible()) {
        return false;
    }
    Refresh();
    FitDialogToScreen(*this, *scroll_);
    show();
    raise();
    activateWindow();
    return true;
}

void StatisticsDialog::Refresh() {
    {
        // A lock test or a replay step may hold the lock for long; the window must not hang
        // behind it, so the texts are copied only when the lock can be had at once.
        std::unique_lock<StateLock> guard(state_.lock, std::try_to_lock);
        if (guard.owns_lock()) {
            const bool dataReceived = DataReceived(state_.processor);
            for (std::size_t row = 0; row < lines_.size(); ++row) {
                if (row == 0 || dataReceived) {
                    const std::string& text = state_.statusLines.line[kShownLine[row]];
                    lines_[row]->setText(QString::fromStdString(text));
                }
            }
            const DailyLogState& log = state_.dailyLog;
            notWritten_->setText(QString::number(log.logFault.lost + log.summaryFault.lost));
        }
    }
    const MessageCounters& m = state_.messages;
    blocks_->setText(QString::number(state_.lock.BlockedCount()));
    queued_->setText(QString::number(m.dispatched));
    unqueued_->setText(
        QString::number(static_cast<std::uint32_t>(m.windowProcedure - m.dispatched)));
    dropped_->setText(QString::number(droppedSource_ ? droppedSource_() : 0));
}

void StatisticsDialog::StartLockTest() {
    // Refresh first: a refresh taking the lock just as the test thread wants it would count
    // a block that the test itself caused.
    Refresh();
    if (!lockTester_.Start()) {
        state_.showMessage("Failed to Create Lock Test Thread", "Error");
    }
}

}  // namespace brennic
