#include "TrendPlotView.h"

#include "TrendChart.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QWheelEvent>

#include <cmath>

namespace Sondrel {

namespace {

constexpr double kWheelStep = 0.8; // the span after one wheel notch
constexpr double kKeyPan = 0.1;    // of the span, per arrow key
constexpr int kLeastDrag = 4;      // pixels; less is a click

} // namespace

TTrendPlotView::TTrendPlotView(TTrendChart& chart, QWidget* parent)
    : QGraphicsView(chart.Scene(), parent), FChart(chart),
      FBand(new QRubberBand(QRubberBand::Rectangle, viewport())) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(160);
}

void TTrendPlotView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    const QSizeF size = viewport()->size();
    FChart.Resize(size);
    setSceneRect(QRectF(QPointF(0, 0), size));
    emit Resized();
}

void TTrendPlotView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        emit ZoomRequested(MinutesAt(event->position().toPoint()),
                           std::pow(kWheelStep, delta / 120.0));
    }
    event->accept();
}

void TTrendPlotView::mousePressEvent(QMouseEvent* event) {
    setFocus();
    if (event->button() == Qt::LeftButton) {
        FDragStart = event->position().toPoint();
    } else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        FPanFrom = event->position().toPoint();
        setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void TTrendPlotView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (FPanFrom) {
        emit PanRequested(-(at.x() - FPanFrom->x()) * MinutesPerPixel());
        FPanFrom = at;
    } else if (FDragStart) {
        const QRectF plot = FChart.PlotArea();
        const QPoint top = mapFromScene(QPointF(0, plot.top()));
        const QPoint bottom = mapFromScene(QPointF(0, plot.bottom()));
        FBand->setGeometry(QRect(QPoint(std::min(at.x(), FDragStart->x()), top.y()),
                                 QPoint(std::max(at.x(), FDragStart->x()), bottom.y())));
        FBand->setVisible(std::abs(at.x() - FDragStart->x()) >= kLeastDrag);
    }
    emit CursorRequested(MinutesAt(at));
    event->accept();
}

void TTrendPlotView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && FDragStart) {
        FBand->hide();
        if (std::abs(at.x() - FDragStart->x()) >= kLeastDrag) {
            emit ZoomToRequested(MinutesAt(*FDragStart), MinutesAt(at));
        } else {
            emit CursorRequested(MinutesAt(at));
        }
        FDragStart.reset();
    } else if (FPanFrom) {
        FPanFrom.reset();
        unsetCursor();
    }
    event->accept();
}

void TTrendPlotView::mouseDoubleClickEvent(QMouseEvent* event) {
    FDragStart.reset();
    FBand->hide();
    emit ResetRequested();
    event->accept();
}

void TTrendPlotView::keyPressEvent(QKeyEvent* event) {
    const double span = FChart.ToMinutes() - FChart.FromMinutes();
    const double middle = (FChart.FromMinutes() + FChart.ToMinutes()) / 2;
    switch (event->key()) {
    case Qt::Key_Left:
        emit PanRequested(-span * kKeyPan);
        break;
    case Qt::Key_Right:
        emit PanRequested(span * kKeyPan);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        emit ZoomRequested(middle, kWheelStep);
        break;
    case Qt::Key_Minus:
        emit ZoomRequested(middle, 1 / kWheelStep);
        break;
    case Qt::Key_Home:
        emit ResetRequested();
        break;
    default:
        QGraphicsView::keyPressEvent(event);
        return;
    }
    event->accept();
}

double TTrendPlotView::MinutesAt(const QPoint& viewPoint) const {
    return FChart.MinutesAt(mapToScene(viewPoint).x());
}

double TTrendPlotView::MinutesPerPixel() const {
    const double width = FChart.PlotArea().width();
    return width > 0 ? (FChart.ToMinutes() - FChart.FromMinutes()) / width : 0;
}

} // namespace Sondrel
