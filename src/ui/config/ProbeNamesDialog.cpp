#include "ui/config/ProbeNamesDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <mutex>

#include "config/ConfigChecks.h"

namespace brennic {

namespace {

struct NameRow {
    const char* label;
    int channel;
    bool oneWireOnly;
};

constexpr NameRow kRows[] = {
    {"Collector Temperature", kChCollector, false},
    {"Storage Temperature", kChStorage, false},
    {"Aux-1 Probe Temperature", kChAux1, false},
    {"Aux-2 Probe Temperature", kChAux2, false},
    {"Aux-3 Probe Temperature", kChAux3, false},
    {"Aux-4 Probe Temperature", kChAux4, false},
    {"BTUs Collected", kChBtus, false},
    {"KWH Collected", kChKwhs, false},
    {"BTUs/Hour", kChBtuRate, false},
    {"KW", kChKw, false},
    {"Collector Pump", kChPump, false},
    {"GPM", kChGpm, false},
    {"WAux1", kChWAux1, true},
    {"WAux-2", kChWAux2, true},
    {"WAux-3", kChWAux3, true},
    {"WAux-4", kChWAux4, true},
    {"Heat Assist BTUs Provided", kChHaBtus, true},
    {"Heat Assist KWH Provided", kChHaKwhs, true},
    {"Heat Assist BTUs/Hour", kChHaBtuRate, true},
    {"Heat Assist KW", kChHaKw, true},
    {"Heat Assist Pump", kChHaPump, true},
};

QLineEdit* NameEdit(const QString& key, const std::string& name, QWidget* parent) {
    auto* edit = new QLineEdit(QString::fromStdString(name), parent);
    edit->setObjectName(key);
    RestrictStoredText(edit, kNameMax);
    edit->setMinimumWidth(200);
    return edit;
}

}  // namespace

ProbeNamesDialog::ProbeNamesDialog(AppState& state, QWidget* parent)
    : QDialog(parent), state_(state) {
    setWindowTitle("Rename Probes");
    hooks = DefaultDialogHooks(state, this);
    ChannelTable channels;
    {
        StateGuard guard(state_.lock);
        full_ = state_.config.oneWireEnable != 0;
        channels = state_.channels;
    }

    auto* content = new QWidget;
    content->setObjectName("content");
    auto* grid = new QGridLayout(content);
    grid->addWidget(new QLabel("<b>Short Name</b>", content), 0, 1);
    grid->addWidget(new QLabel("<b>Long Name</b>", content), 0, 2);
    int row = 1;
    for (const NameRow& r : kRows) {
        if (r.oneWireOnly && !full_) {
            continue;
        }
        const ChannelInfo& ch = channels[r.channel];
        grid->addWidget(new QLabel(r.label, content), row, 0);
        grid->addWidget(NameEdit(QString("short_%1").arg(r.channel), ch.shortName, content), row,
                        1);
        grid->addWidget(NameEdit(QString("long_%1").arg(r.channel), ch.longName, content), row, 2);
        ++row;
    }
    grid->setRowStretch(row, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &ProbeNamesDialog::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    SetScrollableBody(this, content, buttons);
}

void ProbeNamesDialog::OnOk() {
    const auto text = [this](const QString& key) {
        return StoredText(findChild<QLineEdit*>(key)->text().toStdString(), kNameMax);
    };
    {
        // Other threads (web pages, the display) read the names; replace them in one step.
        StateGuard guard(state_.lock);
        for (const NameRow& r : kRows) {
            if (r.oneWireOnly && !full_) {
                continue;
            }
            ChannelInfo& ch = state_.channels[r.channel];
            ch.shortName = text(QString("short_%1").arg(r.channel));
            ch.longName = text(QString("long_%1").arg(r.channel));
        }
    }
    if (hooks.save) {
        hooks.save();
    }
    accept();
}

bool RunProbeNamesDialog(AppState& state, QWidget* parent) {
    ProbeNamesDialog dialog(state, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace brennic
