#include "ui/history/EnergyReportDialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/dialogs/DialogFit.h"
#include "ui/history/ChartPainter.h"

namespace brennic {

namespace {

// Paints the report's chart at whatever size the dialog gives it.
class ChartWidget : public QWidget {
  public:
    explicit ChartWidget(const EnergyReport& report, QWidget* parent)
        : QWidget(parent), report_(report) {
        setMinimumSize(640, 320);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const ChartPicture picture = LayoutEnergyChart(report_, width(), height());
        PaintChart(painter, picture, QRectF(rect()));
    }

  private:
    const EnergyReport& report_;
};

int DayOf(const QDate& d) {
    return d.year() * 10000 + d.month() * 100 + d.day();
}

}  // namespace

EnergyReportDialog::EnergyReportDialog(std::string storePath, QWidget* parent)
    : QDialog(parent), storePath_(std::move(storePath)) {
    setWindowTitle("Energy Report");
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);

    auto* choice = new QHBoxLayout;
    period_ = new QComboBox;
    period_->addItems({"Day", "Month", "Year"});
    period_->setCurrentIndex(1);
    from_ = new QDateEdit;
    to_ = new QDateEdit;
    for (QDateEdit* edit : {from_, to_}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat("yyyy-MM-dd");
    }
    choice->addWidget(new QLabel("Period"));
    choice->addWidget(period_);
    choice->addSpacing(16);
    choice->addWidget(new QLabel("From"));
    choice->addWidget(from_);
    choice->addWidget(new QLabel("To"));
    choice->addWidget(to_);
    choice->addStretch(1);
    layout->addLayout(choice);

    chart_ = new ChartWidget(report_, content);
    layout->addWidget(chart_, 3);
    status_ = new QLabel;
    layout->addWidget(status_);
    table_ = new QTableWidget;
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->setMinimumHeight(180);
    layout->addWidget(table_, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* save = buttons->addButton("Save CSV", QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(this, "Save CSV", "energy-report.csv",
                                                          "CSV files (*.csv)");
        if (!file.isEmpty()) {
            SaveCsv(file);
        }
    });
    layout->addWidget(buttons);

    SetDefaultRange();
    connect(period_, &QComboBox::currentIndexChanged, this, [this] {
        SetDefaultRange();
        Refresh();
    });
    for (QDateEdit* edit : {from_, to_}) {
        connect(edit, &QDateEdit::dateChanged, this, [this] { Refresh(); });
    }
    QScrollArea* scroll = MakeScrollingDialog(*this, content);
    resize(1000, 760);
    FitDialogToScreen(*this, *scroll);
    Refresh();
}

void EnergyReportDialog::SetDefaultRange() {
    const QDate today = QDate::currentDate();
    QDate from = today.addDays(-30);
    if (period_->currentIndex() == 1) {
        from = QDate(today.year(), today.month(), 1).addMonths(-11);
    } else if (period_->currentIndex() == 2) {
        from = QDate(today.year() - 9, 1, 1);
    }
    const QSignalBlocker a(from_);
    const QSignalBlocker b(to_);
    from_->setDate(from);
    to_->setDate(today);
}

void EnergyReportDialog::Refresh() {
    static constexpr ReportPeriod kPeriods[] = {ReportPeriod::kDay, ReportPeriod::kMonth,
                                                ReportPeriod::kYear};
    report_ = EnergyReport{};
    auto opened = HistoryStore::Open(storePath_, HistoryStore::Mode::kReadOnly);
    std::string error;
    if (!opened.store) {
        error = opened.message;
    } else {
        QueryEnergyReport(*opened.store, kPeriods[std::clamp(period_->currentIndex(), 0, 2)],
                          DayOf(from_->date()), DayOf(to_->date()), report_, error);
    }
    status_->setText(QString::fromStdString(error));
    status_->setVisible(!error.empty());
    FillTable();
    chart_->update();
}

void EnergyReportDialog::FillTable() {
    const auto& headings = EnergyReportHeadings();
    table_->clear();
    table_->setColumnCount(static_cast<int>(headings.size()));
    table_->setRowCount(static_cast<int>(report_.rows.size()) + 1);
    QStringList labels;
    for (const std::string& h : headings) {
        labels << QString::fromStdString(h);
    }
    table_->setHorizontalHeaderLabels(labels);
    auto fill = [this](int row, const ReportRow& r, bool bold) {
        const auto cells = EnergyReportCells(r);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            QFont font = item->font();
            font.setBold(bold);
            item->setFont(font);
            table_->setItem(row, static_cast<int>(c), item);
        }
    };
    for (std::size_t i = 0; i < report_.rows.size(); ++i) {
        fill(static_cast<int>(i), report_.rows[i], false);
    }
    fill(static_cast<int>(report_.rows.size()), report_.totals, true);
    table_->resizeColumnsToContents();
}

bool EnergyReportDialog::SaveCsv(const QString& file) {
    QFile out(file);
    const std::string csv = EnergyReportCsv(report_);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size())) {
        QMessageBox::warning(this, "Save CSV", "Cannot write " + file + ": " + out.errorString());
        return false;
    }
    return true;
}

}  // namespace brennic
