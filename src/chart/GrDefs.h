#pragma once
// Shared vocabulary of the chart: the missing-value sentinel, point flags,
// scroll request codes and the ids that identify chart controls and commands.

// A chart value is valid only strictly between -kGrNone and +kGrNone; an empty
// range is stored as (+kGrNone, -kGrNone), so its low end exceeds its high end.
constexpr double kGrNone = 1e100;

inline bool GrValid(double v) { return v > -kGrNone && v < kGrNone; }
inline bool GrValidRange(double lo, double hi) { return GrValid(lo) && GrValid(hi) && lo <= hi; }

// Flags returned by OGrLine::GetPoint.
enum : int {
    kGrPtAbsent = 0x01,   // ignored everywhere
    kGrPtBreakBefore = 0x02, // a new polyline starts here
    kGrPtBreakAfter = 0x04,  // the polyline ends here
    kGrPtNoScale = 0x20,  // drawn but never used by automatic scaling
    kGrPtNoMarker = 0x40,
    kGrPtFault = 0x80,    // left out of automatic scaling while skipFaults is set
};

// Scroll request codes (the classic scroll bar vocabulary).
enum : int {
    SB_GR_LINEUP = 0,
    SB_GR_LINEDOWN = 1,
    SB_GR_PAGEUP = 2,
    SB_GR_PAGEDOWN = 3,
    SB_GR_THUMBPOSITION = 4,
    SB_GR_THUMBTRACK = 5,
    SB_GR_TOP = 6,
    SB_GR_BOTTOM = 7,
    SB_GR_ENDSCROLL = 8,
    SB_GR_CENTER = 32555, // centre the window on the middle of the data range
};

// Every axis scroll bar runs over 0..kGrScrollMax.
constexpr int kGrScrollMax = 1000000000;

// At most this many graphs (panes) in one chart window, and this many chart
// windows registered for wheel zooming.
constexpr int kGrMaxPanes = 128;
constexpr int kGrMaxHookedWindows = 128;

// Control ids and message numbers.
enum : int {
    kGrIdXScroll = 1008,
    kGrIdXUpDown = 1010,
    kGrIdPaneScrollBase = 40000, // + graph index
    kGrIdPaneUpDownBase = 41000, // + graph index
    kGrMenuFirst = 45000,
    kGrMenuXBase = 45000,
    kGrMenuGraphBase = 45500,
    kGrMenuLast = 45999,
    WM_GR_WHEEL = 0x108C,
    WM_GR_KEY = 0x108E,
};
