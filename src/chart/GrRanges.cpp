#include "GrRanges.h"

#include "OGrLine.h"
#include "OGrList.h"
#include "TGrDia.h"

#include <algorithm>

namespace {

void CollectPoints(OGrLine* line, TGrDia* xAxis, TGrDia* yAxis)
{
    const bool spread = line->HasSpread() == 1;
    const int count = line->GetPointCount();
    for (int i = 0; i < count; ++i) {
        double x = kGrNone, y = kGrNone;
        const int flags = line->GetPoint(i, &x, &y);
        if (flags & kGrPtAbsent)
            continue;
        const double s = spread ? line->GetSpread(i) : 0.0;
        if (GrValid(x))
            xAxis->IncludeInData(x, x);
        yAxis->IncludeInData(y - s, y + s);
    }
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

void GrCollectRanges(OGrList* list, TGrDia* xAxis)
{
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
        for (int k = 0; k < lines; ++k) {
            OGrLine* line = list->GetLine(g, k);
            if (line->IsFunction() == 1)
                CollectFunction(line, xAxis, a);
            else
                CollectPoints(line, xAxis, a);
        }
        a->FinishDataRange();
        a->AdoptDataRange();
    }
    xAxis->FinishDataRange();
    xAxis->NormalizeView(true);
}

void GrAutoScale(OGrList* list, int g, const TGrDia& xAxis)
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
        // Extremes gathered locally: this loop runs over every point each paint.
        const int skip = kGrPtAbsent | kGrPtNoScale | (a->skipFaults ? kGrPtFault : 0);
        double lo = kGrNone, hi = -kGrNone;
        const int count = line->GetPointCount();
        for (int i = 0; i < count; ++i) {
            double x = kGrNone, y = kGrNone;
            const int flags = line->GetPoint(i, &x, &y);
            if ((flags & skip) != 0 || !(xLo <= x && x <= xHi))
                continue;
            const double s = spread ? line->GetSpread(i) : 0.0;
            const double yl = y - s, yh = y + s;
            if (GrValidRange(yl, yh)) {
                lo = std::min(lo, yl);
                hi = std::max(hi, yh);
            }
        }
        a->IncludeInView(lo, hi);
    }
    a->NormalizeFromCheck();
}
