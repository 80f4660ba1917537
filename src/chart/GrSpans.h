#pragma once
// Shaded spans along the X axis of a graph (the events of a recording, for
// instance), drawn behind its lines across the pane's whole height: the
// spans a graph list offers and the pixel columns painting fills for them.
#include <cstdint>
#include <vector>

class GrMapping;
class OGrList;

struct GrSpan {
    double lo = 0.0, hi = 0.0; // X values, lo <= hi
    uint32_t rgb = 0;          // 0xRRGGBB, painted as a light tint
    bool strong = false;       // the one the user chose: a deeper tint
};

// Columns x1..x2 (inclusive) of the plot filled in one tint.
struct GrSpanRect {
    int x1, x2;
    uint32_t rgb;
    bool strong;
};

// The spans of graph gr that reach into the mapping's X window, as column
// ranges clipped to the plot; a span narrower than a pixel still fills one
// column, and neighbours of the same tint that touch are merged, so a day of
// short events costs a few rectangles per paint.
void GrSpanShapes(OGrList* list, int gr, const GrMapping& map, std::vector<GrSpanRect>* out);
