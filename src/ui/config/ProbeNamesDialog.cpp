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

// Row order of the dialog; each row is captioned with the channel's nameCaption.
constexpr int kRows[] = {kChCollector, kChStorage, kChAux1,    kChAux2,  kChAux3,   kChAux4,
                         kChBtus,      kChKwhs,    kChBtuRate, kChKw,    kChPump,   kChGpm,
                         kChWAux1,     kChWAux2,   kChWAux3,   kChWAux4, kChHaBtus, kChHaKwhs,
                         kChHaBtuRate, kChHaKw,    kChHaPump};

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
    for (int channel : kRows) {
        if (CatalogueEntry(channel).oneWire && !full_) {
            continue;
        }
        const ChannelInfo& ch = channels[channel];
        grid->addWidget(new QLabel(CatalogueEntry(channel).nameCaption, content), row, 0);
        grid->addWidget(NameEdit(QString("short_%1").arg(channel), ch.shortName, content), row, 1);
        grid->addWidget(NameEdit(QString("long_%1").arg(channel), ch.longName, content), row, 2);
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
        for (int channel : kRows) {
            if (CatalogueEntry(channel).oneWire && !full_) {
                continue;
            }
            ChannelInfo& ch = state_.channels[channel];
            ch.shortName = text(QString("short_%1").arg(channel));
            ch.longName = text(QString("long_%1").arg(channel));
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
