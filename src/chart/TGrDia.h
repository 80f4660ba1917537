#pragma once
// One chart axis: its data range, visible window, label format and grid.
// Values are valid only strictly inside (-1e100, 1e100); an empty range is
// (+1e100, -1e100). The window arithmetic here is what every scroll, zoom and
// paint of the chart ends in.
#include "GrDefs.h"

#include <string>

class OGrScrollBar;

class TGrDia {
public:
    TGrDia();
    virtual ~TGrDia() = default;

    // Format and grid operations (label texts and grid lines).
    virtual void Reset();
    virtual int GetFormatCount();
    // Name of format k; returns whether it may be offered to the user.
    virtual int GetFormatName(int k, std::string* text);
    virtual void EnableAllFormats();
    virtual void EnableFormat(int k, int on);
    virtual int GetFormat();
    virtual void SetFormat(int k);
    // Grid over the current window with lines at least minStep apart.
    virtual void Setka_Create(double minStep);
    virtual int GetSetkaCount();
    // Rank of line i (-1 minor, 0 main, 1 major); value in stored units.
    virtual int GetSetkaLine(int i, double* value);
    virtual int GetSetkaText(int i, double* value, std::string* text);
    virtual int GetSetkaPeriod(int prec);

    void IncludeInView(double lo, double hi);
    void IncludeInData(double lo, double hi);
    void EmptyView() { viewLo = kGrNone; viewHi = -kGrNone; }
    void EmptyData() { dataLo = kGrNone; dataHi = -kGrNone; }
    bool ViewValid() const { return GrValidRange(viewLo, viewHi); }
    bool DataValid() const { return GrValidRange(dataLo, dataHi); }

    // The rule every change of a window ends with. renew lets a window that
    // showed everything keep showing everything when the data grow.
    void NormalizeView(bool renew);
    // The same from "window not valid -> data range" on, and from "include
    // the required range" on (the window is known to be valid).
    void NormalizeFromCheck();
    void NormalizeFromNeed();
    // Required range, minimum span and a small margin applied to the data
    // range once it has been collected.
    void FinishDataRange();
    // After collecting data: an invalid window becomes the data range, a valid
    // one stays, clamped into it.
    void AdoptDataRange();

    void UpdateScrollBar(OGrScrollBar* bar);
    void ScrollTo(int pos, bool vertical);
    // A scroll request (SB_GR_*) on bar; trackPos is the thumb position for
    // SB_GR_THUMBPOSITION and SB_GR_THUMBTRACK.
    void Scroll(int code, OGrScrollBar* bar, int trackPos = 0);
    // Scales the window by 1.1^steps about anchor (positive steps widen it)
    // and leaves automatic scaling.
    void ZoomAbout(double steps, double anchor);

    double needLo = kGrNone, needHi = -kGrNone;
    double minSpan = -kGrNone;
    double dataLo = kGrNone, dataHi = -kGrNone;
    double viewLo = kGrNone, viewHi = -kGrNone;
    int isFull = 1;
    int isAuto = 0;
    int skipFaults = 1;
    unsigned char formatOn[16];
    int format = 0;
    int setkaCount = 0;
    int setkaDiv = 1;
    double setkaStep = 1.0;
    int setkaPrec = 0;
    double setkaFirst = 0.0;
    int setkaPhase = 0;
    int setkaPeriod = 10;
    int showSetka = 1;
    int showValues = 1;
    int showLegend = 1;

private:
    // Stored units -> display units of the current format.
    double DisplayScale() const;
};
