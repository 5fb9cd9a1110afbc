#include "ui/config/OneWireDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>
#include <mutex>

#include "config/ConfigChecks.h"

namespace brennic {

namespace {

constexpr const char* kRowLabels[5] = {"WAux-1", "WAux-2", "WAux-3", "WAux-4", "Heat Assist Pump"};
constexpr std::size_t kIpEditMax = 22;

std::string WithoutTrailingBlanks(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

int SwitchListIndex(int s) {
    if (s == 0 || s < -8 || s > 8) {
        return 0;
    }
    return 2 * std::abs(s) - 2 + (s < 0 ? 1 : 0);
}

OneWireDialog::OneWireDialog(AppState& state, QWidget* parent) : QDialog(parent), state_(state) {
    setWindowTitle("Configure 1-Wire Probes");
    hooks = DefaultDialogHooks(state, this);
    Config c;
    {
        StateGuard guard(state_.lock);
        c = state_.config;
    }

    auto* content = new QWidget;
    content->setObjectName("content");
    auto* probes = new QGroupBox("Probes", content);
    auto* grid = new QGridLayout(probes);
    grid->addWidget(new QLabel("<b>1-Wire ID</b>", probes), 0, 1);
    grid->addWidget(new QLabel("<b>Description</b>", probes), 0, 2);
    for (int row = 0; row < 5; ++row) {
        const OneWireProbe& p = c.oneWireProbes[static_cast<std::size_t>(row)];
        auto* id = new QLineEdit(QString::fromStdString(p.id), probes);
        id->setObjectName(QString("id_%1").arg(row));
        RestrictStoredText(id, kText15);
        auto* description = new QLineEdit(QString::fromStdString(p.description), probes);
        description->setObjectName(QString("description_%1").arg(row));
        RestrictStoredText(description, kText31);
        description->setMinimumWidth(240);
        grid->addWidget(new QLabel(kRowLabels[row], probes), row + 1, 0);
        grid->addWidget(id, row + 1, 1);
        grid->addWidget(description, row + 1, 2);
    }
    auto* switchList = new QComboBox(probes);
    switchList->setObjectName("switchSelect");
    for (int channel = 1; channel <= 8; ++channel) {
        const QString letter(QChar('A' + channel - 1));
        switchList->addItem(letter, channel);
        switchList->addItem("not " + letter, -channel);
    }
    switchList->setCurrentIndex(SwitchListIndex(c.oneWireProbes[4].switchSelect));
    grid->addWidget(new QLabel("Switch A/B", probes), 6, 1, Qt::AlignRight);
    grid->addWidget(switchList, 6, 2, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);

    auto* server = new QGroupBox("One Wire Server UDP Configuration", content);
    auto* form = new QFormLayout(server);
    auto* ip = new QLineEdit(QString::fromStdString(c.oneWireServerIp), server);
    ip->setObjectName("serverIp");
    RestrictStoredText(ip, kIpEditMax, StoredTextValidator::kNoBlanks);
    form->addRow("IP", ip);
    auto* port = new QLineEdit(QString::asprintf("%i", c.oneWirePort), server);
    port->setObjectName("serverPort");
    RestrictToInteger(port, false);
    form->addRow("Port", port);
    auto* timer = new QLineEdit(QString::asprintf("%i", c.oneWireTimer), server);
    timer->setObjectName("timer");
    RestrictToInteger(timer, false);
    form->addRow("Timer", timer);

    auto* top = new QVBoxLayout(content);
    top->addWidget(probes);
    top->addWidget(server);
    top->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &OneWireDialog::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    SetScrollableBody(this, content, buttons);
}

void OneWireDialog::OnOk() {
    const auto text = [this](const QString& key) {
        return findChild<QLineEdit*>(key)->text().toStdString();
    };
    const auto port = ReadIntField(text("serverPort"));
    const auto timer = ReadIntField(text("timer"));
    const int switchValue = findChild<QComboBox*>("switchSelect")->currentData().toInt();
    {
        StateGuard guard(state_.lock);
        Config& c = state_.config;
        c.oneWireServerIp = StoredText(text("serverIp"), kIpEditMax);
        if (port) {
            c.oneWirePort = *port;
        }
        if (timer) {
            timerChanged_ = c.oneWireTimer != *timer;
            c.oneWireTimer = *timer;
        }
        for (std::size_t row = 0; row < 5; ++row) {
            OneWireProbe& p = c.oneWireProbes[row];
            p.id = WithoutTrailingBlanks(StoredText(text(QString("id_%1").arg(row)), kText15));
            p.description = WithoutTrailingBlanks(
                StoredText(text(QString("description_%1").arg(row)), kText31));
        }
        c.oneWireProbes[4].switchSelect = switchValue;
    }
    if (hooks.save) {
        hooks.save();
    }
    accept();
}

OneWireDialogResult RunOneWireDialog(AppState& state, QWidget* parent) {
    OneWireDialog dialog(state, parent);
    OneWireDialogResult result;
    result.accepted = dialog.exec() == QDialog::Accepted;
    result.timerChanged = result.accepted && dialog.TimerChanged();
    return result;
}

}  // namespace brennic
