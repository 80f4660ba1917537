#pragma once
// Range collection over a graph list: the data ranges that a newly attached
// list gives its axes, and the automatic scaling of a graph's Y window from
// what lies inside the visible X window.

class OGrList;
class TGrDia;

// Rebuilds the X axis and every graph axis from the list: data ranges
// collected from scratch, every graph put into automatic scaling, the X axis
// into the time-of-day format; the windows the user had stay where still valid.
void GrCollectRanges(OGrList* list, TGrDia* xAxis);

// Sets the Y window of graph g from its lines within the X window.
void GrAutoScale(OGrList* list, int g, const TGrDia& xAxis);

// The 1025 x values at which function extents are sampled: lo, lo + d, ...
// with d = (hi - lo) / 1024 added step by step.
template <typename F> void GrForEachSample(double lo, double hi, F f)
{
    const double d = (hi - lo) / 1024;
    double x = lo;
    for (int i = 0; i < 1025; ++i) {
        f(x);
        x += d;
    }
}
