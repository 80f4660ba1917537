#pragma once
// The graph list a chart displays: graphs (strips), each with its own Y axis
// and lines. The chart reads it whenever it needs it; the owner keeps it
// unchanged while the chart's SetGrList or paint runs.
#include "GrSpans.h"

class OGrLine;
class TGrDia;

class OGrList {
public:
    virtual ~OGrList() = default;
    virtual int GetGrCount() = 0;
    // The Y axis of graph gr; owned by the list and alive as long as it.
    virtual TGrDia* GetGrDia(int gr) = 0;
    virtual int GetLineCount(int gr) = 0;
    // Valid only until the next GetLine call (the object may be shared).
    virtual OGrLine* GetLine(int gr, int line) = 0;
    // Optional shaded spans of graph gr (GrSpans.h), read at every paint:
    // none unless a list offers them.
    virtual int GetSpanCount(int /*gr*/) { return 0; }
    virtual GrSpan GetSpan(int /*gr*/, int /*i*/) { return {}; }
};
