#include "ui/web/WebFtpDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QVBoxLayout>

#include "config/ConfigLayout.h"
#include "ui/dialogs/DialogFit.h"

namespace brennic {

namespace {

// The edit's text as UTF-8, cut to `maxBytes` without splitting a character.
std::string Cut(const QLineEdit* edit, std::size_t maxBytes) {
    std::string text = edit->text().toStdString();
    if (text.size() > maxBytes) {
        std::size_t end = maxBytes;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            --end;
        }
        text.resize(end);
    }
    return text;
}

QLineEdit* Edit(const char* name, int maxLength) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    return edit;
}

QLineEdit* Number(const char* name, int value) {
    auto* edit = new QLineEdit(QString::number(static_cast<unsigned>(value)));
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(90);
    return edit;
}

QCheckBox* Check(const char* name, const char* label) {
    auto* box = new QCheckBox(QString::fromUtf8(label));
    box->setObjectName(name);
    return box;
}

}  // namespace

WebFtpDialog::WebFtpDialog(AppState& state, WebPublisher& publisher, SaveConfigFn saveConfig,
                           QWidget* parent)
    : QDialog(parent),
      state_(state),
      publisher_(publisher),
      saveConfig_(std::move(saveConfig)),
      chooseFolder_([](QWidget* owner, const QString& current) {
          return QFileDialog::getExistingDirectory(owner, "Select Folder for Web Files", current);
      }) {
    setWindowTitle("CONFIGURATION - Web FTP Data");
    {
        StateGuard guard(state_.lock);
        copy_ = state_.config;
    }
    Build();
    Load();
    FitDialogToScreen(*this, *scroll_);
}

void WebFtpDialog::SetFolderChooser(FolderChooserFn chooser) {
    chooseFolder_ = std::move(chooser);
}

void WebFtpDialog::Build() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);

    auto* intro = new QLabel(
        "Use this window to specify if web information is to be uploaded with FTP and/or "
        "written to a local file and how frequently to do so.");
    intro->setWordWrap(true);
    column->addWidget(intro);

    uploadFtp_ = Check("uploadFtp", "Upload with FTP");
    writeToDisk_ = Check("writeToDisk", "Write to disk");
    column->addWidget(uploadFtp_);
    column->addWidget(writeToDisk_);

    auto* form = new QFormLayout;
    userId_ = Edit("userId", static_cast<int>(kText31));
    password_ = Edit("password", static_cast<int>(kText31));
    password_->setEchoMode(QLineEdit::Password);
    account_ = Edit("account", static_cast<int>(kText31));
    server_ = Edit("server", static_cast<int>(kServerMax));
    server_->setToolTip("host, host:port, ftps://host (TLS) or ftpes://host (AUTH TLS)");
    serverPath_ = Edit("serverPath", static_cast<int>(kServerMax));
    interval_ = Edit("interval", 9);
    interval_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this));
    form->addRow("FTP User ID", userId_);
    form->addRow("FTP Password", password_);
    form->addRow("FTP Account", account_);
    form->addRow("FTP Server", server_);
    form->addRow("FTP Server Path", serverPath_);
    form->addRow("Interval - Minutes", interval_);
    column->addLayout(form);

    auto* folderRow = new QHBoxLayout;
    folder_ = Edit("folder", static_cast<int>(config_layout::kWebFolderMax));
    auto* select = new QPushButton("Select File Path");
    select->setObjectName("selectFolder");
    connect(select, &QPushButton::clicked, this, &WebFtpDialog::ChooseFolder);
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(select);
    column->addLayout(folderRow);

    showErrors_ = Check("showErrors", "Display Message on Error");
    includeScreenShot_ = Check("includeScreenShot", "Include Screen Shot");
    column->addWidget(showErrors_);
    column->addWidget(includeScreenShot_);

    // The publisher's figures as they are now; they are not refreshed while the dialog is open.
    const WebCounters counters = publisher_.Counters();
    auto* uploads = new QFormLayout;
    uploads->addRow("Uploads", Number("uploads", counters.uploads));
    column->addLayout(uploads);

    auto* errors = new QGroupBox("Errors");
    auto* grid = new QGridLayout(errors);
    const struct {
        const char* name;
        const char* label;
        int value;
    } cells[] = {
        {"errorCount", "Count", counters.errors},
        {"screenErrors", "Screen", counters.screenErrors},
        {"screenFileErrors", "Screen File", counters.screenFileErrors},
        {"connectErrors", "FTPConnect", counters.connectErrors},
        {"timeoutErrors", "FTPTimeout", counters.timeoutErrors},
        {"loginErrors", "FTP Other", counters.loginErrors},
        {"fileErrors", "FTP File", counters.fileErrors},
    };
    int index = 0;
    for (const auto& cell : cells) {
        const int row = index / 2;
        const int col = (index % 2) * 2;
        grid->addWidget(new QLabel(cell.label), row, col);
        grid->addWidget(Number(cell.name, cell.value), row, col + 1);
        ++index;
    }
    column->addWidget(errors);

    auto* lastErrorRow = new QFormLayout;
    auto* lastError = new QLabel(QString::fromStdString(counters.lastErrorText));
    lastError->setObjectName("lastError");
    lastError->setWordWrap(true);
    lastError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lastErrorRow->addRow("Last Error", lastError);
    column->addLayout(lastErrorRow);
    column->addStretch(1);

    // The settings scroll when the screen is too small for them; OK and Cancel stay in view.
    scroll_ = new QScrollArea;
    scroll_->setObjectName("scroll");
    scroll_->setWidgetResizable(true);
    scroll_->setWidget(content);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &WebFtpDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &WebFtpDialog::reject);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(scroll_, 1);
    outer->addWidget(buttons);
}

void WebFtpDialog::Load() {
    uploadFtp_->setChecked(copy_.webUploadFtp != 0);
    writeToDisk_->setChecked(copy_.webWriteToDisk != 0);
    showErrors_->setChecked(copy_.webShowErrors != 0);
    includeScreenShot_->setChecked(copy_.webIncludeScreenShot != 0);
    userId_->setText(QString::fromStdString(copy_.ftpUserId));
    password_->setText(QString::fromStdString(copy_.ftpPassword));
    account_->setText(QString::fromStdString(copy_.ftpAccount));
    server_->setText(QString::fromStdString(copy_.ftpServer));
    serverPath_->setText(QString::fromStdString(copy_.ftpServerPath));
    interval_->setText(QString::number(copy_.webIntervalMinutes));
    folder_->setText(QString::fromStdString(copy_.webFolder));
}

void WebFtpDialog::ChooseFolder() {
    const QString chosen = chooseFolder_(this, folder_->text());
    if (chosen.isEmpty()) {
        ++beeps_;
        QApplication::beep();
        return;
    }
    folder_->setText(chosen);
    copy_.webFolder = Cut(folder_, config_layout::kWebFolderMax);
}

void WebFtpDialog::accept() {
    copy_.webUploadFtp = uploadFtp_->isChecked() ? 1 : 0;
    copy_.webWriteToDisk = writeToDisk_->isChecked() ? 1 : 0;
    copy_.webShowErrors = showErrors_->isChecked() ? 1 : 0;
    copy_.webIncludeScreenShot = includeScreenShot_->isChecked() ? 1 : 0;
    bool ok = false;
    const int interval = interval_->text().trimmed().toInt(&ok);
    copy_.webIntervalMinutes = ok && interval >= 1 ? interval : 1;
    copy_.ftpUserId = Cut(userId_, kText31);
    copy_.ftpAccount = Cut(account_, kText31);
    copy_.ftpPassword = Cut(password_, kText31);
    copy_.ftpServer = Cut(server_, kServerMax);
    std::string path = Cut(serverPath_, kServerMax);
    path.erase(0, path.find_first_not_of(' '));
    copy_.ftpServerPath = path;
    copy_.webFolder = Cut(folder_, config_layout::kWebFolderMax);

    int previousInterval = 0;
    {
        StateGuard guard(state_.lock);
        previousInterval = state_.config.webIntervalMinutes;
        state_.config = copy_;
    }
    if (saveConfig_) {
        saveConfig_(state_);
    }
    // A shorter interval takes effect at once; a longer one after the wait in progress.
    if (copy_.webIntervalMinutes < previousInterval) {
        publisher_.WakePublisher();
    }
    QDialog::accept();
}

}  // namespace brennic
