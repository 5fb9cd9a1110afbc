#include "ui/display/DisplayWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

namespace brennic {

DisplayWidget::DisplayWidget(AppState& state, QWidget* parent)
    : QWidget(parent), state_(state), scrollBar_(new QScrollBar(Qt::Horizontal, this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel comes from the buffer
    scrollBar_->setRange(0, 0);
    scrollBar_->setPageStep(ChartView::kScrollRange);
    scrollBar_->hide();
    connect(scrollBar_, &QScrollBar::actionTriggered, this, &DisplayWidget::OnScrollAction);
}

void DisplayWidget::OnScrollAction(int action) {
    ChartView::Request request;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            request = ChartView::Request::kLineLeft;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            request = ChartView::Request::kLineRight;
            break;
        case QAbstractSlider::SliderPageStepSub:
            request = ChartView::Request::kPageLeft;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            request = ChartView::Request::kPageRight;
            break;
        case QAbstractSlider::SliderMove:
            request = ChartView::Request::kThumb;
            break;
        default:
            return;
    }
    // The control applies its slider position after this returns; ScrollChart sets it to
    // where the view went.
    ScrollChart(request, scrollBar_->sliderPosition());
}

void DisplayWidget::ScrollChart(ChartView::Request request, int thumbPosition) {
    int position = 0;
    int page = ChartView::kScrollRange;
    {
        StateGuard guard(state_.lock);
        const Config& c = state_.config;
        state_.chart.Scroll(request, thumbPosition, state_.processor.history,
                            state_.chart.WindowHours(c.xAxisHours), c.autoScroll);
        position = state_.chart.position;
        page = state_.chart.page;
    }
    SetScrollValues(position, page);
    UpdateChart();
}

void DisplayWidget::SetScrollValues(int position, int page) {
    // The control's maximum excludes the page, so its value is the left edge of the page.
    const QSignalBlocker block(scrollBar_);
    scrollBar_->setRange(0, std::max(0, ChartView::kScrollRange - page));
    scrollBar_->setPageStep(page);
    scrollBar_->setSingleStep(1);
    scrollBar_->setSliderPosition(position);
    scrollBar_->setValue(position);
}

void DisplayWidget::SetStatusSource(std::function<DisplayStatus(const AppState&)> source) {
    statusSource_ = std::move(source);
}

void DisplayWidget::SetHourLength(int seconds) {
    hourLength_ = seconds > 0 ? seconds : 3600;
}

QSize DisplayWidget::sizeHint() const {
    return {1000, 700};
}

void DisplayWidget::Relayout() {
    {
        StateGuard guard(state_.lock);
        const TextMetrics metrics = MeasureFont(MakeDisplayFont(state_.font), this);
        brennic::Layout(layout_, state_.config, metrics, width(), height());
    }
    const Rect& r = layout_.scrollBar;
    scrollBar_->setGeometry(r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height()));
    update();
}

void DisplayWidget::UpdateText() {
    update(layout_.text.ToQRect());
}

void DisplayWidget::UpdateChart() {
    update(layout_.lower.ToQRect());
}

RenderOptions DisplayWidget::Options() const {
    RenderOptions options;
    options.hourLength = hourLength_;
    if (statusSource_) {
        options.status = statusSource_(state_);
    }
    return options;
}

void DisplayWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void DisplayWidget::paintEvent(QPaintEvent* event) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (buffer_.size() != pixels) {
        buffer_ = QImage(pixels, QImage::Format_RGB32);
        buffer_.setDevicePixelRatio(ratio);
    }
    buffer_.fill(Qt::white);
    ScrollBarAction action;
    {
        StateGuard guard(state_.lock);
        RenderOptions options = Options();
        const QRect invalid = event->rect();
        options.invalid = &invalid;
        QPainter painter(&buffer_);
        action = Render(state_, layout_, painter, options);
    }
    QPainter window(this);
    window.drawImage(event->rect(), buffer_,
                     QRectF(event->rect().topLeft() * ratio, event->rect().size() * ratio));
    window.end();
    // Moving and showing a child is not done from inside a paint event.
    QMetaObject::invokeMethod(
        this, [this, action] { ApplyScrollBar(action); }, Qt::QueuedConnection);
}

void DisplayWidget::ApplyScrollBar(ScrollBarAction action) {
    int position = 0;
    int page = ChartView::kScrollRange;
    {
        StateGuard guard(state_.lock);
        position = state_.chart.position;
        page = state_.chart.page;
    }
    SetScrollValues(position, page);
    if (action == ScrollBarAction::kShow) {
        const Rect& r = layout_.scrollBar;
        scrollBar_->setGeometry(r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height()));
        scrollBar_->show();
    } else if (action == ScrollBarAction::kHide) {
        scrollBar_->hide();
    }
}

void DisplayWidget::RenderTo(QPaintDevice& device) {
    StateGuard guard(state_.lock);
    QPainter painter(&device);
    painter.fillRect(layout_.client.ToQRect(), Qt::white);
    RenderOptions options = Options();
    options.drawScrollBar = [this](QPainter& p, const Rect& r) {
        // A picture of the control at its place and size, whether or not it is shown.
        SetScrollValues(state_.chart.position, state_.chart.page);
        if (scrollBar_->size() != QSize(r.Width(), r.Height()) && r.Width() > 0 && r.Height() > 0) {
            scrollBar_->setGeometry(r.left, r.top, r.Width(), r.Height());
        }
        scrollBar_->render(&p, QPoint(r.left, r.top), QRegion(), QWidget::DrawWindowBackground);
    };
    Render(state_, layout_, painter, options);
}

}  // namespace brennic
