#include "GrSpans.h"

#include "GrShapes.h"
#include "OGrList.h"

#include <algorithm>

void GrSpanShapes(OGrList* list, int gr, const GrMapping& map, std::vector<GrSpanRect>* out)
{
    out->clear();
    if (list == nullptr || !map.Usable())
        return;
    const double xLo = map.XLo();
    const double xHi = map.ColumnValue(map.Right());
    const int count = list->GetSpanCount(gr);
    for (int i = 0; i < count; ++i) {
        const GrSpan span = list->GetSpan(gr, i);
        if (!(span.hi >= xLo && span.lo <= xHi))
            continue;
        const int x1 = std::max(map.X(span.lo), map.Left());
        const int x2 = std::clamp(map.X(span.hi), x1, map.Right() - 1);
        if (x1 > map.Right() - 1)
            continue;
        if (!out->empty()) {
            GrSpanRect& last = out->back();
            if (last.rgb == span.rgb && last.strong == span.strong && x1 <= last.x2 + 1 && x2 >= last.x1 - 1) {
                last.x1 = std::min(last.x1, x1);
                last.x2 = std::max(last.x2, x2);
                continue;
            }
        }
        out->push_back({x1, x2, span.rgb, span.strong});
    }
}
