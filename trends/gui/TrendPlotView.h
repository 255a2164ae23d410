// TTrendPlotView: shows one TTrendChart and turns the operator's mouse and keys into requests
// on the time range: the wheel zooms about the mouse, a left drag zooms to the dragged span
// (a click places the cursor), a right or middle drag pans, the arrow keys pan, + and - zoom,
// Home and a double click reset. Moving the mouse moves the cursor.
//
// The view only asks; the owner (TTrendsView) keeps the range that every chart shares.
#pragma once

#include <QGraphicsView>

#include <optional>

class QRubberBand;

namespace Sondrel {

class TTrendChart;

class TTrendPlotView : public QGraphicsView {
    Q_OBJECT

public:
    // The chart stays the caller's.
    explicit TTrendPlotView(TTrendChart& chart, QWidget* parent = nullptr);

    TTrendChart& Chart() const { return FChart; }

signals:
    // factor < 1 zooms in.
    void ZoomRequested(double aboutMinutes, double factor);
    void ZoomToRequested(double fromMinutes, double toMinutes);
    void PanRequested(double minutes);
    void ResetRequested();
    void CursorRequested(double minutes);
    // The chart took the view's new size.
    void Resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    double MinutesAt(const QPoint& viewPoint) const;
    double MinutesPerPixel() const;

    TTrendChart& FChart;
    QRubberBand* FBand = nullptr;
    std::optional<QPoint> FDragStart; // a left drag, for the rubber band
    std::optional<QPoint> FPanFrom;   // a right or middle drag
};

} // namespace Sondrel
