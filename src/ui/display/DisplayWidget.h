#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "core/AppState.h"
#include "ui/display/Display.h"
#include "ui/display/DisplayLayout.h"

class QScrollBar;

namespace brennic {

// The main display: status lines, value table and strip chart, drawn by Render into an
// off-screen image and copied to the window in one go. Owns the display's layout and its
// horizontal scroll bar, whose actions move the chart's view; the main window calls
// ScrollChart for its scroll commands and Relayout when display options change. Main thread
// only.
class DisplayWidget : public QWidget {
    Q_OBJECT

  public:
    explicit DisplayWidget(AppState& state, QWidget* parent = nullptr);

    // Supplies the link and publisher figures of the status lines; called under the
    // StateLock during every render. Without one the links show as inactive.
    void SetStatusSource(std::function<DisplayStatus(const AppState&)> source);
    // Seconds between hour labels, as measured at start-up (normally 3600).
    void SetHourLength(int seconds);

    // Recomputes the layout from the widget's size and the display font and repaints the
    // whole widget. Takes the StateLock.
    void Relayout();
    // Repaints only the status block (status updates) or only the chart area.
    void UpdateText();
    void UpdateChart();

    // Moves the chart's view (the "Scroll Left"/"Scroll Right" commands and the scroll bar,
    // which is connected to this) and repaints the chart. Takes the StateLock.
    void ScrollChart(ChartView::Request request, int thumbPosition = 0);

    // Renders the whole display into `device` (white background), the scroll bar drawn as a
    // picture. For window images, the web screen shot and printing. Takes the StateLock.
    void RenderTo(QPaintDevice& device);

    DisplayLayout& Layout() { return layout_; }
    const DisplayLayout& Layout() const { return layout_; }
    QScrollBar* ScrollBar() const { return scrollBar_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    RenderOptions Options() const;
    void ApplyScrollBar(ScrollBarAction action);
    void SetScrollValues(int position, int page);
    void OnScrollAction(int action);

    AppState& state_;
    DisplayLayout layout_;
    QScrollBar* scrollBar_;
    QImage buffer_;
    std::function<DisplayStatus(const AppState&)> statusSource_;
    int hourLength_ = 3600;
};

}  // namespace brennic
