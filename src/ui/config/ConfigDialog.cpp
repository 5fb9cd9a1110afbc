#include "ui/config/ConfigDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <ctime>
#include <mutex>

#include "config/ConfigLayout.h"
#include "links/SerialPortList.h"
#include "ui/config/ColourPicker.h"

namespace brennic {

namespace {

// The rows of the "Include in" group: each channel's Status box in the first column and its
// Graph box (curves with a colour button) in the second, each column filled from the top.
constexpr int kIncludeOrder[] = {kChCollector, kChStorage, kChAux1,     kChAux2,  kChAux3,
                                 kChAux4,      kChPump,    kChBtus,     kChKwhs,  kChBtuRate,
                                 kChGpm,       kChWAux1,   kChWAux2,    kChWAux3, kChWAux4,
                                 kChHaPump,    kChHaBtus,  kChHaBtuRate};

QString StatusKey(int channel) {
    return QString("status_") + CatalogueEntry(channel).key;
}
QString GraphKey(int channel) {
    return QString("graph_") + CatalogueEntry(channel).key;
}
bool IsCurve(int channel) {
    const Scale scale = CatalogueEntry(channel).scale;
    return scale != Scale::kPumpBand && scale != Scale::kHeatBand;
}

// The solar array edits: label, key, shown with "%1.2f".
constexpr const char* kSolarLabels[8] = {"North Latitude",
                                         "West Longitude",
                                         "Angle",
                                         "Azimuth",
                                         "Area - Meter^2",
                                         "Incident Angle Modifier",
                                         "Thermal Efficiency Intercept",
                                         "Thermal Efficiency Slope (W/(°C M^2)"};
constexpr const char* kSolarKeys[8] = {
    "latitude",      "westLongitude",         "collectorTilt",       "collectorAzimuth",
    "collectorArea", "incidentAngleModifier", "efficiencyIntercept", "efficiencySlope"};

QString IntText(int v) {
    return QString::asprintf("%i", v);
}
QString FlowText(double v) {
    return QString::asprintf("%.3f", v);
}
QString SolarText(float v) {
    return QString::asprintf("%1.2f", static_cast<double>(v));
}

std::string ToStd(const QString& s) {
    return s.toStdString();
}

// A pair of exclusive radio buttons in a row under a caption.
QWidget* RadioPair(QWidget* parent, const QString& caption, const char* keyA, const QString& a,
                   const char* keyB, const QString& b, bool secondOn) {
    auto* box = new QGroupBox(caption, parent);
    auto* first = new QRadioButton(a, box);
    first->setObjectName(keyA);
    auto* second = new QRadioButton(b, box);
    second->setObjectName(keyB);
    auto* group = new QButtonGroup(box);
    group->addButton(first, 0);
    group->addButton(second, 1);
    (secondOn ? second : first)->setChecked(true);
    auto* row = new QHBoxLayout(box);
    row->addWidget(first);
    row->addWidget(second);
    row->addStretch(1);
    return box;
}

}  // namespace

ConfigDialog::ConfigDialog(AppState& state, QWidget* parent) : QDialog(parent), state_(state) {
    setWindowTitle("CONFIGURATION");
    hooks = DefaultDialogHooks(state, this);
    {
        StateGuard guard(state_.lock);
        copy_ = state_.config;
        glycol_ = state_.glycol;
        channels_ = state_.channels;
    }
    full_ = copy_.oneWireEnable != 0;

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    // OK does not close by itself: the checks decide.
    connect(buttons, &QDialogButtonBox::accepted, this, &ConfigDialog::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    SetScrollableBody(this, BuildContent(), buttons);
}

QWidget* ConfigDialog::BuildContent() {
    auto* content = new QWidget;
    content->setObjectName("content");
    auto* left = new QVBoxLayout;
    left->addWidget(ControllerGroup(content));
    left->addWidget(IncludeGroup(content));
    left->addStretch(1);
    auto* middle = new QVBoxLayout;
    middle->addWidget(CollectorLoopGroup(content));
    if (full_) {
        middle->addWidget(HeatAssistGroup(content));
    }
    middle->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(GraphGroup(content));
    right->addWidget(SolarArrayGroup(content));
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right);
    auto* top = new QVBoxLayout(content);
    top->addLayout(columns);
    top->addWidget(LogGroup(content));
    return content;
}

QLineEdit* ConfigDialog::AddEdit(const char* key, const QString& text) {
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(key);
    // Room for the longest number these edits show, e.g. "-12345.000".
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("-123456.000") + 16);
    return edit;
}

QLineEdit* ConfigDialog::AddIntegerEdit(const char* key, int value, bool allowSign) {
    auto* edit = AddEdit(key, IntText(value));
    RestrictToInteger(edit, allowSign);
    return edit;
}

QLineEdit* ConfigDialog::AddTextEdit(const char* key, const QString& text) {
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(key);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(28, 'x')));
    return edit;
}

QCheckBox* ConfigDialog::AddCheck(const QString& key, const QString& label, bool on,
                                  QWidget* parent) {
    auto* check = new QCheckBox(label, parent);
    check->setObjectName(key);
    check->setChecked(on);
    return check;
}

QComboBox* ConfigDialog::AddGlycolList(const char* key, int selected, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(key);
    for (int i = 0; i < glycol_.count; ++i) {
        list->addItem(QString::fromStdString(glycol_.mix[static_cast<std::size_t>(i)].name));
    }
    list->setCurrentIndex(selected >= 0 && selected < glycol_.count ? selected : 0);
    return list;
}

QWidget* ConfigDialog::ControllerGroup(QWidget* parent) {
    auto* box = new QGroupBox("Controller", parent);
    auto* form = new QFormLayout(box);
    // The ports present are offered; any other name can still be typed.
    auto* ports = new QComboBox(box);
    ports->setObjectName("comPortList");
    ports->setEditable(true);
    ports->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& p : ListSerialPorts()) {
        ports->addItem(QString::fromStdString(p));
    }
    ports->setEditText(QString::fromStdString(copy_.comPort));
    QLineEdit* port = ports->lineEdit();
    port->setObjectName("comPort");
    RestrictStoredText(port, kComPortMax, StoredTextValidator::kNoBlanks);
    ports->setMinimumWidth(port->fontMetrics().horizontalAdvance(QString(28, 'x')));
    form->addRow("Com Port", ports);
    auto* type = new QComboBox(box);
    type->setObjectName("controlType");
    type->addItems({"Vexin 2", "Vexin 2 BTU"});
    if (copy_.controllerType == kVexin2Lcd) {
        // Only a configuration file can name this model; keep it selectable so that OK
        // does not change it behind the user's back.
        type->addItem("Vexin 2 LCD");
    }
    type->setCurrentIndex(copy_.controllerType);
    form->addRow("QMX Control Type", type);
    auto* site = AddTextEdit("siteId", QString::fromStdString(copy_.siteId));
    RestrictStoredText(site, config_layout::kSiteIdMax);
    form->addRow("Site ID", site);
    form->addRow(AddCheck("autoStart", "Auto Start", copy_.autoStart, box));
    return box;
}

QWidget* ConfigDialog::IncludeGroup(QWidget* parent) {
    auto* box = new QGroupBox("Include in", parent);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel("<b>Status</b>", box), 0, 0);
    grid->addWidget(new QLabel("<b>Graph</b>", box), 0, 1, 1, 2);
    int row = 1;
    for (int channel : kIncludeOrder) {
        const ChannelEntry& entry = CatalogueEntry(channel);
        if (!entry.listable || (entry.oneWire && !full_)) {
            continue;
        }
        // Without a caption of its own the box carries the channel's long name.
        const QString label = entry.statusCaption != nullptr
                                  ? QString(entry.statusCaption)
                                  : QString::fromStdString(channels_[channel].longName);
        grid->addWidget(AddCheck(StatusKey(channel), label,
                                 copy_.status[static_cast<std::size_t>(channel)] != 0, box),
                        row++, 0);
    }
    row = 1;
    for (int channel : kIncludeOrder) {
        const ChannelEntry& entry = CatalogueEntry(channel);
        if (!entry.graphable || (entry.oneWire && !full_)) {
            continue;
        }
        const QString label = QString::fromStdString(channels_[channel].longName);
        grid->addWidget(AddCheck(GraphKey(channel), label,
                                 copy_.graph[static_cast<std::size_t>(channel)] != 0, box),
                        row, 1);
        if (IsCurve(channel)) {
            auto* button = new QPushButton(box);
            button->setObjectName(QString("colour_%1").arg(channel));
            button->setFixedSize(36, 16);
            button->setToolTip("Colour of " + label);
            button->setAccessibleName("Colour of " + label);
            connect(button, &QPushButton::clicked, this, [this, channel] { PickColour(channel); });
            colourButtons_[channel] = button;
            grid->addWidget(button, row, 2);
        }
        ++row;
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    PaintColourButtons();
    return box;
}

QWidget* ConfigDialog::CollectorLoopGroup(QWidget* parent) {
    auto* box = new QGroupBox("Collector Loop", parent);
    auto* form = new QFormLayout(box);
    form->addRow("Glycol Mix", AddGlycolList("solarGlycolMix", copy_.solarGlycolMix, box));
    form->addRow("% Glycol ", AddIntegerEdit("solarGlycolPercent", copy_.solarGlycolPercent));
    form->addRow("Aux-1 - Aux-2 Offset", AddEdit("solarOffset", FlowText(copy_.solarOffset)));
    form->addRow("Fixed flow rate (gpm)", AddEdit("fixedFlowGpm", FlowText(copy_.fixedFlowGpm)));
    form->addRow("Minimum flow rate", AddEdit("minFlowGpm", FlowText(copy_.minFlowGpm)));
    form->addRow(AddCheck("smoothBtuRate", "Smooth BTU Rate", copy_.smoothBtuRate != 0, box));
    form->addRow(AddCheck("btuEnable", "BTU Enable", copy_.btuEnable != 0, box));
    form->addRow(RadioPair(box, "Pump On.Off Source", "pumpSourceQmx", "QMX ", "pumpSourceMinFlow",
                           "Min Flow", copy_.pumpSource == 1));
    form->addRow(RadioPair(box, "Flow Rate Source", "flowSourceQmx", "QMX", "flowSourceFixed",
                           "Fixed Rate", copy_.flowSource == 1));
    return box;
}

QWidget* ConfigDialog::HeatAssistGroup(QWidget* parent) {
    auto* box = new QGroupBox("Heat Assist Loop", parent);
    auto* form = new QFormLayout(box);
    form->addRow("Glycol Mix", AddGlycolList("haGlycolMix", copy_.haGlycolMix, box));
    form->addRow("% Glycol", AddIntegerEdit("haGlycolPercent", copy_.haGlycolPercent));
    form->addRow("WAux1 - WAux2 Offset", AddEdit("haOffset", FlowText(copy_.haOffset)));
    form->addRow("Flow rate (gpm)", AddEdit("haFlowGpm", FlowText(copy_.haFlowGpm)));
    return box;
}

QWidget* ConfigDialog::GraphGroup(QWidget* parent) {
    auto* box = new QGroupBox("Graph", parent);
    auto* form = new QFormLayout(box);
    auto* range = new QComboBox(box);
    range->setObjectName("tempRange");
    for (const TempRange& r : kTempRanges) {
        range->addItem(QString::asprintf(" %3d to %3d", r.min, r.max));
    }
    range->setCurrentIndex(copy_.tempRangeIndex >= 0 &&
                                   copy_.tempRangeIndex < static_cast<int>(kTempRanges.size())
                               ? copy_.tempRangeIndex
                               : 0);
    form->addRow("Temp Range", range);
    const struct {
        const char* key;
        const char* label;
        int value;
        bool sign;
    } ints[] = {{"graphEveryNth", "Graph every nth sample", copy_.graphEveryNth, true},
                {"xAxisHours", "X Axis hours", copy_.xAxisHours, true},
                {"graphLineWidth", "Graph Line Width", copy_.graphLineWidth, false},
                {"maxSamples", "Max samples to save", copy_.maxSamples, true}};
    for (const auto& i : ints) {
        form->addRow(i.label, AddIntegerEdit(i.key, i.value, i.sign));
    }
    form->addRow(RadioPair(box, "Heat Units", "heatUnitsBtu", full_ ? "BTUs" : "BTU",
                           "heatUnitsKwh", "KWH", copy_.heatUnits == 1));
    form->addRow(AddCheck("autoScroll", "Auto Scroll", copy_.autoScroll, box));
    return box;
}

QWidget* ConfigDialog::SolarArrayGroup(QWidget* parent) {
    auto* box = new QGroupBox("Solar Array", parent);
    auto* form = new QFormLayout(box);
    const float values[8] = {copy_.latitude,
                             -copy_.longitude,
                             copy_.collectorTilt,
                             copy_.collectorAzimuth,
                             copy_.collectorArea,
                             copy_.incidentAngleModifier,
                             copy_.efficiencyIntercept,
                             copy_.efficiencySlope};
    for (int i = 0; i < 8; ++i) {
        form->addRow(kSolarLabels[i], AddEdit(kSolarKeys[i], SolarText(values[i])));
    }
    return box;
}

QWidget* ConfigDialog::LogGroup(QWidget* parent) {
    auto* box = new QGroupBox("Log and Summary Files", parent);
    auto* grid = new QGridLayout(box);
    grid->addWidget(AddCheck("logData", " Log Data", copy_.logData != 0, box), 0, 0);
    grid->addWidget(
        AddCheck("newLogAtMidnight", " New log file at midnight", copy_.newLogAtMidnight != 0, box),
        0, 1);
    grid->addWidget(AddCheck("logQmxData", full_ ? " Include QMX Data" : " Log QMX Data",
                             copy_.logQmxData != 0, box),
                    0, 2);
    grid->addWidget(new QLabel("Log every nth sample", box), 0, 4);
    grid->addWidget(AddIntegerEdit("logEveryNth", copy_.logEveryNth), 0, 5);

    grid->addWidget(AddCheck("summaryEnable", "  Summary ", copy_.summaryEnable != 0, box), 1, 0);
    grid->addWidget(new QLabel("Summary every nth sample", box), 1, 4);
    grid->addWidget(AddIntegerEdit("summaryEveryNth", copy_.summaryEveryNth), 1, 5);
    grid->setColumnStretch(3, 1);

    auto* path = AddTextEdit("dataFolder", QString::fromStdString(copy_.dataFolder));
    path->setReadOnly(true);
    auto* select = new QPushButton("Select Path", box);
    select->setObjectName("selectPath");
    connect(select, &QPushButton::clicked, this, &ConfigDialog::OnSelectPath);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(new QLabel("Log and Summary File Path", box));
    pathRow->addWidget(path, 1);
    pathRow->addWidget(select);
    grid->addLayout(pathRow, 2, 0, 1, 6);
    return box;
}

void ConfigDialog::PaintColourButtons() {
    for (const auto& [channel, button] : colourButtons_) {
        PaintColourButton(button, channels_[channel].colour);
    }
}

void ConfigDialog::PickColour(int channel) {
    if (RunColourPicker(state_, channel, this)) {
        coloursChanged_ = true;
        StateGuard guard(state_.lock);
        channels_[channel].colour = state_.channels[channel].colour;
    }
    PaintColourButtons();
}

void ConfigDialog::OnSelectPath() {
    const QString folder = hooks.chooseFolder("Select folder for Log and Summary files",
                                              QString::fromStdString(copy_.dataFolder));
    if (folder.isEmpty()) {
        hooks.beep();
        return;
    }
    copy_.dataFolder = folder.toStdString();
    findChild<QLineEdit*>("dataFolder")->setText(folder);
}

QString ConfigDialog::Text(const char* key) const {
    const auto* edit = findChild<QLineEdit*>(key);
    return edit != nullptr ? edit->text() : QString();
}

bool ConfigDialog::Checked(const QString& key) const {
    const auto* button = findChild<QAbstractButton*>(key);
    return button != nullptr && button->isChecked();
}

void ConfigDialog::ReadChoices(Config& c) const {
    c.comPort = StoredText(ToStd(Text("comPort")), kComPortMax);
    c.siteId = StoredText(ToStd(Text("siteId")), config_layout::kSiteIdMax);
    for (int channel = 0; channel < kChannelCount; ++channel) {
        const ChannelEntry& entry = CatalogueEntry(channel);
        if (entry.oneWire && !full_) {
            continue;
        }
        const auto i = static_cast<std::size_t>(channel);
        if (entry.listable) {
            c.status[i] = Checked(StatusKey(channel)) ? 1 : 0;
        }
        if (entry.graphable) {
            c.graph[i] = Checked(GraphKey(channel)) ? 1 : 0;
        }
    }
    c.tempRangeIndex = std::max(findChild<QComboBox*>("tempRange")->currentIndex(), 0);
    c.graphTempMax = kTempRanges[static_cast<std::size_t>(c.tempRangeIndex)].max;
    c.graphTempMin = kTempRanges[static_cast<std::size_t>(c.tempRangeIndex)].min;
    c.controllerType = std::max(findChild<QComboBox*>("controlType")->currentIndex(), 0);
    c.autoStart = Checked("autoStart");
    c.heatUnits = Checked("heatUnitsKwh") ? 1 : 0;
    c.autoScroll = Checked("autoScroll");
    c.logData = Checked("logData") ? 1 : 0;
    c.newLogAtMidnight = Checked("newLogAtMidnight") ? 1 : 0;
    c.logQmxData = Checked("logQmxData") ? 1 : 0;
    c.summaryEnable = Checked("summaryEnable") ? 1 : 0;
    c.solarGlycolMix = std::max(findChild<QComboBox*>("solarGlycolMix")->currentIndex(), 0);
    if (full_) {
        c.haGlycolMix = std::max(findChild<QComboBox*>("haGlycolMix")->currentIndex(), 0);
    }
    c.smoothBtuRate = Checked("smoothBtuRate") ? 1 : 0;
    c.btuEnable = Checked("btuEnable") ? 1 : 0;
    c.pumpSource = Checked("pumpSourceMinFlow") ? 1 : 0;
    c.flowSource = Checked("flowSourceFixed") ? 1 : 0;
}

ConfigNumberTexts ConfigDialog::ReadTexts() const {
    ConfigNumberTexts t;
    t.full = full_;
    t.graphEveryNth = ToStd(Text("graphEveryNth"));
    t.xAxisHours = ToStd(Text("xAxisHours"));
    t.graphLineWidth = ToStd(Text("graphLineWidth"));
    t.fixedFlowGpm = ToStd(Text("fixedFlowGpm"));
    t.minFlowGpm = ToStd(Text("minFlowGpm"));
    t.maxSamples = ToStd(Text("maxSamples"));
    t.logEveryNth = ToStd(Text("logEveryNth"));
    t.summaryEveryNth = ToStd(Text("summaryEveryNth"));
    for (std::size_t i = 0; i < t.solarArray.size(); ++i) {
        t.solarArray[i] = ToStd(Text(kSolarKeys[i]));
    }
    t.solarOffset = ToStd(Text("solarOffset"));
    t.solarGlycolPercent = ToStd(Text("solarGlycolPercent"));
    if (full_) {
        t.haFlowGpm = ToStd(Text("haFlowGpm"));
        t.haOffset = ToStd(Text("haOffset"));
        t.haGlycolPercent = ToStd(Text("haGlycolPercent"));
    }
    return t;
}

void ConfigDialog::OnOk() {
    Config edited = copy_;
    ReadChoices(edited);
    const ConfigPrompts prompts{
        [this](const std::string& text, const std::string& caption) {
            hooks.message(QString::fromStdString(text), QString::fromStdString(caption));
        },
        [this](const std::string& text, const std::string& caption) {
            return hooks.askOkCancel(QString::fromStdString(text), QString::fromStdString(caption));
        }};
    if (!CheckConfigNumbers(ReadTexts(), glycol_, edited, prompts)) {
        return;
    }
    if (apply) {
        apply(edited, hooks.save);
    } else {
        AcceptConfig(state_, edited, hooks.save, std::time(nullptr));
    }
    accept();
}

bool RunConfigDialog(AppState& state, QWidget* parent,
                     std::function<void(const Config&, const std::function<void()>&)> apply) {
    ConfigDialog dialog(state, parent);
    dialog.apply = std::move(apply);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (!accepted && dialog.ColoursChanged() && dialog.hooks.save) {
        // The picked colours are already in use; keep them across a restart as well.
        dialog.hooks.save();
    }
    return accepted || dialog.ColoursChanged();
}

}  // namespace brennic
