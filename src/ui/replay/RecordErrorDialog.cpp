#include "ui/replay/RecordErrorDialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

namespace brennic {

bool NoDisplayForDialogs() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

RecordErrorDialog::RecordErrorDialog(QWidget* parent, const QString& text) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Error Reading Log File"));
    auto* layout = new QVBoxLayout(this);
    for (const char* line :
         {"An error occurred while reading the log file.",
          "Press CONTINUE to continue reading the file and displaying further errors. ",
          "Press SUPPRESS ERRORS to continue reading the file while suppressing further errors. ",
          "Press ABORT to terminate further processing of the log file."}) {
        auto* label = new QLabel(QString::fromLatin1(line), this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    auto* message = new QLineEdit(text, this);
    message->setReadOnly(true);
    message->setObjectName(QStringLiteral("message"));
    layout->addWidget(message);

    auto* row = new QHBoxLayout;
    continue_ = new QPushButton(QStringLiteral("CONTINUE"), this);
    suppress_ = new QPushButton(QStringLiteral("SUPPRESS ERRORS"), this);
    abort_ = new QPushButton(QStringLiteral("ABORT"), this);
    continue_->setDefault(true);
    for (QPushButton* b : {continue_, suppress_, abort_}) {
        row->addWidget(b);
    }
    layout->addLayout(row);
    connect(continue_, &QPushButton::clicked, this, [this] {
        choice_ = RecordErrorChoice::kContinue;
        accept();
    });
    connect(suppress_, &QPushButton::clicked, this, [this] {
        choice_ = RecordErrorChoice::kSuppressErrors;
        accept();
    });
    connect(abort_, &QPushButton::clicked, this, [this] {
        choice_ = RecordErrorChoice::kAbort;
        accept();
    });
    // Escape and the close button leave choice_ at CONTINUE.
}

RecordErrorChoice RecordErrorDialog::Ask(QWidget* parent, const QString& text) {
    if (NoDisplayForDialogs()) {
        std::fprintf(stderr, "Error Reading Log File: %s\n", text.toUtf8().constData());
        return RecordErrorChoice::kContinue;
    }
    RecordErrorDialog dialog(parent, text);
    dialog.exec();
    return dialog.Choice();
}

}  // namespace brennic
