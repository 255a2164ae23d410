// TTrendTimeRange: the time range that the charts of a trend show, kept within the data's
// extent. Zooming keeps the minutes under the mouse where they are; panning moves the range
// without changing its span; neither leaves the data's extent nor narrows the range below
// MinSpan minutes.
//
// Threads: any; a plain value.
#pragma once

namespace Sondrel {

class TTrendTimeRange {
public:
    static constexpr double MinSpan = 5.0;

    // The whole extent of the data, first..last point; a single point or none gets an hour
    // around it (so that a lone point is drawn in the middle of the chart).
    void SetExtent(double first, double last);
    void Reset() {
        FFrom = FExtentFrom;
        FTo = FExtentTo;
    }

    // factor < 1 zooms in, > 1 out; `about` keeps its place in the range.
    void ZoomAbout(double about, double factor);
    // To the span between a and b (in any order).
    void ZoomTo(double a, double b);
    void PanBy(double minutes);
    void Set(double from, double to);

    double From() const { return FFrom; }
    double To() const { return FTo; }
    double Span() const { return FTo - FFrom; }
    double ExtentFrom() const { return FExtentFrom; }
    double ExtentTo() const { return FExtentTo; }
    bool IsWhole() const { return FFrom <= FExtentFrom && FTo >= FExtentTo; }

private:
    void Clamp();

    double FExtentFrom = 0;
    double FExtentTo = 60;
    double FFrom = 0;
    double FTo = 60;
};

} // namespace Sondrel
