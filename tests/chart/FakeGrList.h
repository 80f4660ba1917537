#pragma once
// A graph list built in a test: graphs with their axes, and lines that are
// either point tables or functions given as lambdas.
#include "OGrLine.h"
#include "OGrList.h"
#include "TGrDia.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct FakePoint {
    double x, y;
    int flags = 0;
    double spread = 0;
};

class FakeLine : public OGrLine {
public:
    static std::unique_ptr<FakeLine> Points(std::vector<FakePoint> points, bool spread = false)
    {
        auto line = std::make_unique<FakeLine>();
        line->points = std::move(points);
        line->spread = spread;
        return line;
    }
    static std::unique_ptr<FakeLine> Function(double xLo, double xHi, std::function<double(double)> f,
                                              double yLo = 1e100, double yHi = -1e100)
    {
        auto line = std::make_unique<FakeLine>();
        line->function = std::move(f);
        line->xLo = xLo;
        line->xHi = xHi;
        line->yLo = yLo;
        line->yHi = yHi;
        return line;
    }

    int IsFunction() override { return function ? 1 : 0; }
    int HasSpread() override { return spread ? 1 : 0; }
    int GetPointCount() override { return static_cast<int>(points.size()); }
    int GetPoint(int i, double* x, double* y) override
    {
        *x = points[i].x;
        *y = points[i].y;
        return points[i].flags;
    }
    int GetPoints(int first, int count, double* x, double* y, int* flags) override
    {
        if (!bulk)
            return -1;
        for (int i = 0; i < count; ++i)
            flags[i] = GetPoint(first + i, &x[i], &y[i]);
        return count;
    }
    double GetSpread(int i) override { return points[i].spread; }
    void GetXRange(double* lo, double* hi) override { *lo = xLo, *hi = xHi; }
    void GetYRange(double* lo, double* hi) override { *lo = yLo, *hi = yHi; }
    double GetValue(const double* x) override
    {
        ++valueCalls;
        return function(*x);
    }
    std::string GetName() override { return name; }
    int GetColor() override { return color; }

    std::vector<FakePoint> points;
    bool spread = false;
    bool bulk = false; // offers GetPoints
    std::function<double(double)> function;
    double xLo = 1e100, xHi = -1e100, yLo = 1e100, yHi = -1e100;
    long valueCalls = 0;
    std::string name; // none: left out of the legend
    int color = -1;   // 0xRRGGBB of its own, or the pane's palette
};

class FakeGrList : public OGrList {
public:
    // Adds a graph and returns its index.
    int AddGraph()
    {
        graphs.emplace_back();
        graphs.back().axis = std::make_unique<TGrDia>();
        return static_cast<int>(graphs.size()) - 1;
    }
    FakeLine* AddLine(int g, std::unique_ptr<FakeLine> line)
    {
        graphs[g].lines.push_back(std::move(line));
        return graphs[g].lines.back().get();
    }

    int GetGrCount() override { return static_cast<int>(graphs.size()); }
    TGrDia* GetGrDia(int gr) override { return graphs[gr].axis.get(); }
    int GetLineCount(int gr) override { return static_cast<int>(graphs[gr].lines.size()); }
    OGrLine* GetLine(int gr, int line) override { return graphs[gr].lines[line].get(); }
    int GetSpanCount(int gr) override { return static_cast<int>(graphs[gr].spans.size()); }
    GrSpan GetSpan(int gr, int i) override { return graphs[gr].spans[i]; }

    struct Graph {
        std::unique_ptr<TGrDia> axis;
        std::vector<std::unique_ptr<FakeLine>> lines;
        std::vector<GrSpan> spans;
    };
    std::vector<Graph> graphs;
};
