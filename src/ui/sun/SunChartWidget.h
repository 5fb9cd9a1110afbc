#pragma once

#include <QString>
#include <QWidget>

#include "sun/SolarGeometry.h"

class QPainter;

namespace brennic {

// Draws one day's five collector factors into `frame`: a 0.00..1.00 scale in ten bands, the
// hours 00..24 every second hour, a vertical marker at `markerSeconds` after local midnight,
// the geometry factor in green, the air-mass factor in red, the incident angle factor in
// orange, the efficiency factor in fuchsia, the combined factor in black, and `dateLabel` over
// noon. Values above 1 are cut off at the frame. Main thread (or any thread painting a QImage).
void DrawSunChart(QPainter& painter, const QRect& frame, const DayFactors& day, int markerSeconds,
                  const QString& dateLabel);

// The daily factor chart of the "Sun Statistics" dialog. Main thread only.
class SunChartWidget : public QWidget {
    Q_OBJECT
  public:
    explicit SunChartWidget(QWidget* parent = nullptr);

    void SetDay(const DayFactors& day, int markerSeconds, const QString& dateLabel);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    DayFactors day_;
    int markerSeconds_ = 0;
    QString dateLabel_;
};

}  // namespace brennic
