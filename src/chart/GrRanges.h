#pragma once
// Range collection over a graph list: the data ranges that a newly attached
// list gives its axes, and the automatic scaling of a graph's Y window from
// what lies inside the visible X window.

#include <vector>

class OGrLine;
class OGrList;
class TGrDia;

// Extremes of y (widened by the spread) over one block of consecutive
// points, as automatic scaling takes them: all of them, and those without
// the fault flag.
struct GrScaleBlock {
    double lo, hi, loClean, hiClean;
};
constexpr int kGrScaleBlock = 64; // points per block

// What attaching a list learnt about a point line: its point count then, and
// whether every point was present with x never decreasing. Painting then
// finds the points of the X window by bisection instead of reading them all,
// and automatic scaling takes the whole blocks inside the window from blocks.
struct GrPointOrder {
    int count = -1;
    bool ascending = false;
    std::vector<GrScaleBlock> blocks; // only when ascending
};
using GrPointOrders = std::vector<std::vector<GrPointOrder>>; // [graph][line]

// Rebuilds the X axis and every graph axis from the list: data ranges
// collected from scratch, every graph put into automatic scaling, the X axis
// into the time-of-day format; the windows the user had stay where still valid.
// With orders, also records the order of every point line.
void GrCollectRanges(OGrList* list, TGrDia* xAxis, GrPointOrders* orders = nullptr);

// The order recorded for line k of graph g, or null.
const GrPointOrder* GrOrderOf(const GrPointOrders* orders, int g, int k);

// Indices [*from, *to) holding every point with lo <= x <= hi: found by
// bisection when the order is known and the count unchanged (returns true),
// else all points (false).
bool GrPointsWithin(OGrLine* line, const GrPointOrder* order, double lo, double hi, int* from, int* to);

// Sets the Y window of graph g from its lines within the X window.
void GrAutoScale(OGrList* list, int g, const TGrDia& xAxis, const GrPointOrders* orders = nullptr);

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
