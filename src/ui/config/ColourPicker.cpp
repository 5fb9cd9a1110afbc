#include "ui/config/ColourPicker.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <mutex>

namespace brennic {

namespace {

constexpr int kSwatch = 15;   // palette button size, pixels
constexpr int kSpacing = 16;  // distance between palette buttons
constexpr int kPerRow = 16;

QWidget* PaletteArea(QWidget* parent, const std::function<void(Colour)>& pick) {
    auto* area = new QWidget(parent);
    for (std::size_t i = 0; i < kPickerPalette.size(); ++i) {
        auto* button = new QPushButton(area);
        button->setObjectName(QString("palette_%1").arg(i));
        button->setFixedSize(kSwatch, kSwatch);
        button->setFocusPolicy(Qt::TabFocus);
        const Colour c = kPickerPalette[i];
        PaintColourButton(button, c);
        button->setToolTip(ToQColor(c).name());
        const int index = static_cast<int>(i);
        button->move(index % kPerRow * kSpacing, index / kPerRow * kSpacing);
        QObject::connect(button, &QPushButton::clicked, area, [pick, c] { pick(c); });
    }
    const int rows = (static_cast<int>(kPickerPalette.size()) + kPerRow - 1) / kPerRow;
    area->setFixedSize(kPerRow * kSpacing, rows * kSpacing);
    return area;
}

}  // namespace

ColourPicker::ColourPicker(AppState& state, int channel, QWidget* parent)
    : QDialog(parent), state_(state), channel_(channel) {
    setWindowTitle("Select Color");
    Colour start = 0;
    QString name;
    {
        StateGuard guard(state_.lock);
        start = state_.channels[channel_].colour;
        name = QString::fromStdString(state_.channels[channel_].longName);
    }

    auto* heading = new QLabel(name, this);
    heading->setObjectName("channelName");

    auto* paletteBox = new QGroupBox("Basic colors", this);
    auto* paletteLayout = new QVBoxLayout(paletteBox);
    paletteLayout->addWidget(PaletteArea(paletteBox, [this](Colour c) { SetColour(c); }));

    auto* sliders = new QGridLayout;
    static const char* const kNames[3] = {"Red", "Green", "Blue"};
    static const char* const kKeys[3] = {"red", "green", "blue"};
    static const int kRows[3] = {0, 2, 1};  // shown as Red, Blue, Green
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(kNames[i], this);
        auto* bar = new QScrollBar(Qt::Horizontal, this);
        bar->setObjectName(QString(kKeys[i]) + "Bar");
        bar->setRange(0, 255);
        bar->setSingleStep(1);
        bar->setPageStep(16);
        bar->setMinimumWidth(200);
        auto* number = new QSpinBox(this);
        number->setObjectName(QString(kKeys[i]) + "Value");
        number->setRange(0, 255);
        label->setBuddy(number);
        connect(bar, &QScrollBar::valueChanged, number, &QSpinBox::setValue);
        connect(number, &QSpinBox::valueChanged, bar, &QScrollBar::setValue);
        connect(bar, &QScrollBar::valueChanged, this, [this] { UpdatePreview(); });
        sliders->addWidget(label, kRows[i], 0);
        sliders->addWidget(bar, kRows[i], 1);
        sliders->addWidget(number, kRows[i], 2);
        bars_[static_cast<std::size_t>(i)] = bar;
        numbers_[static_cast<std::size_t>(i)] = number;
    }

    preview_ = new QFrame(this);
    preview_->setObjectName("preview");
    preview_->setFrameShape(QFrame::Box);
    preview_->setMinimumSize(72, 72);
    preview_->setAutoFillBackground(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* middle = new QHBoxLayout;
    middle->addLayout(sliders, 1);
    middle->addWidget(preview_);
    auto* top = new QVBoxLayout(this);
    top->addWidget(heading);
    top->addWidget(paletteBox);
    top->addLayout(middle);
    top->addWidget(buttons);

    SetColour(start);
    UpdatePreview();
}

Colour ColourPicker::CurrentColour() const {
    return MakeColour(bars_[0]->value(), bars_[1]->value(), bars_[2]->value());
}

void ColourPicker::SetColour(Colour c) {
    bars_[0]->setValue(RedOf(c));
    bars_[1]->setValue(GreenOf(c));
    bars_[2]->setValue(BlueOf(c));
}

void ColourPicker::UpdatePreview() {
    QPalette palette = preview_->palette();
    palette.setColor(QPalette::Window, ToQColor(CurrentColour()));
    preview_->setPalette(palette);
}

void ColourPicker::Apply() {
    const Colour c = CurrentColour();
    StateGuard guard(state_.lock);
    state_.channels[channel_].colour = c;
}

bool RunColourPicker(AppState& state, int channel, QWidget* parent) {
    ColourPicker picker(state, channel, parent);
    return picker.exec() == QDialog::Accepted;
}

}  // namespace brennic
