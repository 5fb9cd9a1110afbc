#include "ui/dialogs/AboutDialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <ctime>

namespace brennic {

QString AboutTitleText(const ProgramIdentity& identity) {
    return QString::fromStdString(identity.name) + " Version " +
           QString::fromStdString(identity.version);
}

QString BuildTimeText(long long buildTime) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t t = static_cast<std::time_t>(buildTime);
    std::tm tm{};
    if (gmtime_r(&t, &tm) == nullptr) {
        return QString();
    }
    // English month names whatever the locale: the text has a fixed format.
    return QString::asprintf("%s %02d %04d, %02d:%02d:%02d UTC", kMonths[tm.tm_mon], tm.tm_mday,
                             tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

namespace {

QLabel* IconLabel(QWidget* parent) {
    auto* icon = new QLabel(parent);
    const QIcon appIcon = QApplication::windowIcon().isNull()
                              ? parent->style()->standardIcon(QStyle::SP_ComputerIcon)
                              : QApplication::windowIcon();
    icon->setPixmap(appIcon.pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    return icon;
}

}  // namespace

AboutDialog::AboutDialog(const ProgramIdentity& identity, long long buildTime, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("About");
    auto* title = new QLabel(AboutTitleText(identity), this);
    title->setObjectName("aboutTitle");
    auto* built = new QLabel(BuildTimeText(buildTime), this);
    built->setObjectName("aboutBuildTime");
    auto* description = new QLabel(
        "Application to read and analyze data from a QMX Solar controller.\n"
        "Written and maintained by the Brennic developers.",
        this);
    auto* contact = new QLabel(
        "Brennic is free software for owners of solar water-heating installations.\n"
        "Help > Support says how to report a problem.",
        this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(built);
    text->addSpacing(8);
    text->addWidget(description);
    text->addSpacing(8);
    text->addWidget(contact);
    dashboard_ = new QLabel(this);
    dashboard_->setObjectName("aboutDashboard");
    dashboard_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    dashboard_->hide();
    text->addWidget(dashboard_);
    auto* row = new QHBoxLayout;
    row->addWidget(IconLabel(this));
    row->addLayout(text, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(row);
    top->addWidget(buttons);
}

void AboutDialog::SetDashboardText(const QString& text) {
    dashboard_->setText(text);
    dashboard_->setVisible(!text.isEmpty());
}

SupportDialog::SupportDialog(const QString& supportPage, QWidget* parent) : QDialog(parent) {
    setWindowTitle("SUPPORT - PROBLEM REPORTING");
    auto* first = new QLabel(
        "Having problems?  Check the help pages (Help > Help, F1).  If you can't find your "
        "answer there, see",
        this);
    first->setWordWrap(true);
    auto* link = new QPushButton(supportPage, this);
    link->setObjectName("supportLink");
    auto* second =
        new QLabel("for what to collect before you report a problem and where to report it.", this);
    second->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(link, &QPushButton::clicked, this, [this, supportPage] {
        // A missing browser does nothing; the dialog closes either way.
        QDesktopServices::openUrl(QUrl::fromUserInput(supportPage));
        done(kSupportPageOpened);
    });
    auto* top = new QVBoxLayout(this);
    top->addWidget(first);
    top->addWidget(link);
    top->addWidget(second);
    top->addWidget(buttons);
    setMinimumWidth(420);
}

QString ModelWarningText(int code) {
    if (code == -2) {
        return "It appears you have QMX Vexin 2 BTU control but you have configured your "
               "control as a Vexin 2 control!";
    }
    return "It appears you have QMX Vexin 2 control but you have configured your control as a "
           "Vexin 2 BTU control";
}

ModelWarningDialog::ModelWarningDialog(int code, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Warning");
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* message = new QLabel(ModelWarningText(code), this);
    message->setObjectName("warningMessage");
    message->setWordWrap(true);
    QFont f = message->font();
    f.setBold(true);
    if (f.pointSizeF() > 0) {
        f.setPointSizeF(f.pointSizeF() * 2);
    } else {
        f.setPixelSize(f.pixelSize() * 2);
    }
    message->setFont(f);
    QPalette p = message->palette();
    p.setColor(QPalette::WindowText, Qt::red);
    message->setPalette(p);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::close);
    auto* row = new QHBoxLayout;
    row->addWidget(IconLabel(this));
    row->addWidget(message, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(row);
    top->addWidget(buttons);
    setMinimumWidth(520);
}

}  // namespace brennic
