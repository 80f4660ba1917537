#include "GrRanges.h"

#include "GrPointCursor.h"
#include "OGrLine.h"
#include "OGrList.h"
#include "TGrDia.h"

#include <algorithm>

namespace {

GrPointOrder CollectPoints(OGrLine* line, TGrDia* xAxis, TGrDia* yAxis)
{
    const bool spread = line->HasSpread() == 1;
    const int count = line->GetPointCount();
    GrPointOrder order{count, true, {}};
    double previous = -kGrNone;
    order.blocks.resize(static_cast<size_t>((count + kGrScaleBlock - 1) / kGrScaleBlock),
                        {kGrNone, -kGrNone, kGrNone, -kGrNone});
    // Extremes gathered locally and handed to the axes once.
    double xLo = kGrNone, xHi = -kGrNone, yLo = kGrNone, yHi = -kGrNone;
    GrPointCursor points(line, 0, count);
    int i, flags;
    double x, y;
    while (points.Next(&i, &x, &y, &flags)) {
        if (flags & kGrPtAbsent) {
            order.ascending = false;
            continue;
        }
        const double s = spread ? line->GetSpread(i) : 0.0;
        const double yl = y - s, yh = y + s;
        if (GrValid(x)) {
            xLo = std::min(xLo, x);
            xHi = std::max(xHi, x);
        }
        const bool validY = GrValidRange(yl, yh);
        if (validY) {
            yLo = std::min(yLo, yl);
            yHi = std::max(yHi, yh);
        }
        if (!(GrValid(x) && x >= previous))
            order.ascending = false;
        previous = x;
        // The same test as automatic scaling applies point by point.
        if ((flags & kGrPtNoScale) == 0 && validY) {
            GrScaleBlock& b = order.blocks[static_cast<size_t>(i / kGrScaleBlock)];
            b.lo = std::min(b.lo, yl);
            b.hi = std::max(b.hi, yh);
            if ((flags & kGrPtFault) == 0) {
                b.loClean = std::min(b.loClean, yl);
                b.hiClean = std::max(b.hiClean, yh);
            }
        }
    }
    xAxis->IncludeInData(xLo, xHi);
    yAxis->IncludeInData(yLo, yHi);
    if (!order.ascending)
        order.blocks.clear();
    return order;
}

void CollectFunction(OGrLine* line, TGrDia* xAxis, TGrDia* yAxis)
{
    double xl = kGrNone, xh = -kGrNone;
    line->GetXRange(&xl, &xh);
    xAxis->IncludeInData(xl, xh);
    double yl = kGrNone, yh = -kGrNone;
    line->GetYRange(&yl, &yh);
    if (GrValidRange(yl, yh)) {
        yAxis->IncludeInData(yl, yh);
        return;
    }
    if (!(yl > yh) || !(xl <= xh))
        return;
    double lo = kGrNone, hi = -kGrNone;
    GrForEachSample(xl, xh, [&](double x) {
        const double v = line->GetValue(&x);
        if (GrValid(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    });
    const double margin = (hi - lo) * 0.02 * 0.5;
    yAxis->IncludeInData(lo - margin, hi + margin);
}

} // namespace

void GrCollectRanges(OGrList* list, TGrDia* xAxis, GrPointOrders* orders)
{
    if (orders)
        orders->clear();
    xAxis->needLo = kGrNone;
    xAxis->needHi = -kGrNone;
    xAxis->minSpan = -kGrNone;
    xAxis->EmptyData();
    xAxis->format = 4;
    const int graphs = list != nullptr ? list->GetGrCount() : 0;
    for (int g = 0; g < graphs; ++g) {
        TGrDia* a = list->GetGrDia(g);
        a->EmptyData();
        a->isAuto = 1;
        const int lines = list->GetLineCount(g);
        std::vector<GrPointOrder> lineOrders(static_cast<size_t>(std::max(lines, 0)));
        for (int k = 0; k < lines; ++k) {
            OGrLine* line = list->GetLine(g, k);
            if (line->IsFunction() == 1)
                CollectFunction(line, xAxis, a);
            else
                lineOrders[static_cast<size_t>(k)] = CollectPoints(line, xAxis, a);
        }
        if (orders)
            orders->push_back(std::move(lineOrders));
        a->FinishDataRange();
        a->AdoptDataRange();
    }
    xAxis->FinishDataRange();
    xAxis->NormalizeView(true);
}

const GrPointOrder* GrOrderOf(const GrPointOrders* orders, int g, int k)
{
    if (orders == nullptr || g < 0 || k < 0 || g >= static_cast<int>(orders->size()))
        return nullptr;
    const std::vector<GrPointOrder>& lines = (*orders)[static_cast<size_t>(g)];
    return k < static_cast<int>(lines.size()) ? &lines[static_cast<size_t>(k)] : nullptr;
}

bool GrPointsWithin(OGrLine* line, const GrPointOrder* order, double lo, double hi, int* from, int* to)
{
    const int count = line->GetPointCount();
    *from = 0;
    *to = count;
    if (order == nullptr || !order->ascending || order->count != count)
        return false;
    // First index whose x passes the test, x never decreasing.
    auto first = [&](auto beyond) {
        int a = 0, b = count;
        while (a < b) {
            const int m = a + (b - a) / 2;
            double x = kGrNone, y = kGrNone;
            line->GetPoint(m, &x, &y);
            if (beyond(x))
                b = m;
            else
                a = m + 1;
        }
        return a;
    };
    *from = first([lo](double x) { return x >= lo; });
    *to = std::max(*from, first([hi](double x) { return x > hi; }));
    return true;
}

void GrAutoScale(OGrList* list, int g, const TGrDia& xAxis, const GrPointOrders* orders)
{
    TGrDia* a = list->GetGrDia(g);
    a->EmptyView();
    const double xLo = xAxis.viewLo;
    const double xHi = xAxis.viewHi;
    const int lines = list->GetLineCount(g);
    for (int k = 0; k < lines; ++k) {
        OGrLine* line = list->GetLine(g, k);
        const bool spread = line->HasSpread() == 1;
        if (line->IsFunction() == 1) {
            if (!xAxis.ViewValid())
                continue;
            double xl = kGrNone, xh = -kGrNone;
            line->GetXRange(&xl, &xh);
            GrForEachSample(xLo, xHi, [&](double x) {
                if (x < xl || x > xh)
                    return;
                const double v = line->GetValue(&x);
                const double s = spread ? line->GetSpreadAt(&x) : 0.0;
                a->IncludeInView(v - s, v + s);
            });
            continue;
        }
        // Extremes gathered locally: this runs over the visible points on
        // each paint.
        const int skip = kGrPtAbsent | kGrPtNoScale | (a->skipFaults ? kGrPtFault : 0);
        double lo = kGrNone, hi = -kGrNone;
        auto scan = [&](int from, int to) {
            GrPointCursor points(line, from, to);
            int i, flags;
            double x, y;
            while (points.Next(&i, &x, &y, &flags)) {
                if ((flags & skip) != 0 || !(xLo <= x && x <= xHi))
                    continue;
                const double s = spread ? line->GetSpread(i) : 0.0;
                const double yl = y - s, yh = y + s;
                if (GrValidRange(yl, yh)) {
                    lo = std::min(lo, yl);
                    hi = std::max(hi, yh);
                }
            }
        };
        const GrPointOrder* order = GrOrderOf(orders, g, k);
        int from = 0, to = 0;
        const bool ordered = GrPointsWithin(line, order, xLo, xHi, &from, &to);
        // Blocks wholly inside [from, to) lie in the window: their extremes
        // were taken when the list was attached.
        const int firstBlock = (from + kGrScaleBlock - 1) / kGrScaleBlock, endBlock = to / kGrScaleBlock;
        if (ordered && firstBlock < endBlock) {
            scan(from, firstBlock * kGrScaleBlock);
            for (int b = firstBlock; b < endBlock; ++b) {
                const GrScaleBlock& e = order->blocks[static_cast<size_t>(b)];
                lo = std::min(lo, a->skipFaults ? e.loClean : e.lo);
                hi = std::max(hi, a->skipFaults ? e.hiClean : e.hi);
            }
            scan(endBlock * kGrScaleBlock, to);
        } else {
            scan(from, to);
        }
        a->IncludeInView(lo, hi);
    }
    a->NormalizeFromCheck();
}
