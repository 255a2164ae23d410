#include "TrendTimeRange.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Sondrel {

void TTrendTimeRange::SetExtent(double first, double last) {
    if (!std::isfinite(first) || !std::isfinite(last)) {
        first = last = 0;
    }
    if (first > last) {
        std::swap(first, last);
    }
    if (last - first < MinSpan) {
        const double middle = (first + last) / 2;
        first = middle - 30;
        last = middle + 30;
    }
    FExtentFrom = first;
    FExtentTo = last;
    Reset();
}

void TTrendTimeRange::ZoomAbout(double about, double factor) {
    if (!std::isfinite(about) || !std::isfinite(factor) || factor <= 0) {
        return;
    }
    about = std::clamp(about, FFrom, FTo);
    const double span = std::max(Span() * factor, MinSpan);
    const double share = Span() > 0 ? (about - FFrom) / Span() : 0.5;
    FFrom = about - share * span;
    FTo = FFrom + span;
    Clamp();
}

void TTrendTimeRange::ZoomTo(double a, double b) {
    if (!std::isfinite(a) || !std::isfinite(b)) {
        return;
    }
    if (a > b) {
        std::swap(a, b);
    }
    if (b - a < MinSpan) {
        const double middle = (a + b) / 2;
        a = middle - MinSpan / 2;
        b = middle + MinSpan / 2;
    }
    FFrom = a;
    FTo = b;
    Clamp();
}

void TTrendTimeRange::PanBy(double minutes) {
    if (!std::isfinite(minutes)) {
        return;
    }
    FFrom += minutes;
    FTo += minutes;
    Clamp();
}

void TTrendTimeRange::Set(double from, double to) {
    ZoomTo(from, to);
}

// Keeps the span (no wider than the extent) and shifts the range back inside the extent.
void TTrendTimeRange::Clamp() {
    const double extent = FExtentTo - FExtentFrom;
    const double span = std::clamp(FTo - FFrom, std::min(MinSpan, extent), extent);
    FFrom = std::clamp(FFrom, FExtentFrom, FExtentTo - span);
    FTo = FFrom + span;
}

} // namespace Sondrel
