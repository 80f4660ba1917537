#pragma once
// One data series of a chart, read by the chart at paint time and never copied.
// A series is either a function y(x) read through GetValue or a list of points
// read through GetPoint (flags: GrDefs.h).
#include <string>

class OGrLine {
public:
    virtual ~OGrLine() = default;
    // 1 = a continuous function read through GetValue; 0 = points.
    virtual int IsFunction() = 0;
    // 1 = every value y has a symmetric spread s and covers [y - s, y + s].
    virtual int HasSpread() = 0;
    virtual int GetPointCount() = 0;
    // Point i; returns its flags.
    virtual int GetPoint(int i, double* x, double* y) = 0;
    // Reserved; the chart never calls it.
    virtual int Reserved() { return 0; }
    virtual double GetSpreadAt(const double* /*x*/) { return 0.0; }
    virtual double GetSpread(int /*i*/) { return 0.0; }
    // x extent of a function.
    virtual void GetXRange(double* lo, double* hi) = 0;
    // y extent of a function; lo > hi means "not given" and the chart samples.
    virtual void GetYRange(double* lo, double* hi) = 0;
    // Function value at x; a value outside (-1e100, 1e100) means none.
    virtual double GetValue(const double* x) = 0;

    // The series' name for the pane's legend (UTF-8); a series without a
    // name is left out of it.
    virtual std::string GetName() { return {}; }
    // The colour the series is drawn and named in, 0xRRGGBB, or -1 for the
    // pane's colour of its place (the default): a series that means the same
    // in every recording keeps its colour whatever else the pane shows.
    virtual int GetColor() { return -1; }

    // Optional fast envelope: the lowest and highest valid value of the
    // function for x in [x0, x1). A function backed by many samples per pixel
    // column answers it (e.g. from an OGrEnvelope) so that narrow peaks between
    // the chart's eight samples per column still show, at a cost independent
    // of the sample count. Returns 1 with lo and hi set, 0 when the interval
    // holds no valid value, -1 when not offered (the default: the chart then
    // draws from its samples alone and stops asking during that paint).
    virtual int GetValueRange(double /*x0*/, double /*x1*/, double* /*lo*/, double* /*hi*/) { return -1; }

    // Optional bulk access for point lines: points first .. first + count - 1
    // into x, y and flags, exactly as GetPoint gives them. The chart reads
    // every visible point on each paint, and one call per few hundred points
    // costs far less than one per point. Returns the number of points
    // written (count), or -1 when not offered (the default: the chart then
    // calls GetPoint).
    virtual int GetPoints(int /*first*/, int /*count*/, double* /*x*/, double* /*y*/, int* /*flags*/) { return -1; }
};
