#pragma once
// Drawing on the report's A4 pages in millimetres: text, tables, plot frames
// with labelled axes, and the page's running header and footer.
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <functional>
#include <string>
#include <vector>

inline constexpr double kPageW = 210, kPageH = 297;
inline constexpr double kMarginX = 15, kTop = 20, kBottom = 282;
inline constexpr double kContentW = kPageW - 2 * kMarginX;

QString Q(const std::string& text);

class OReportCanvas {
public:
    OReportCanvas(QPdfWriter& writer, QString headerRight);

    QPainter& Painter() { return m_Painter; }
    double U(double mm) const { return mm * m_PerMm; } // millimetres to device units
    QPointF P(double xMm, double yMm) const { return {U(xMm), U(yMm)}; }
    QRectF R(double xMm, double yMm, double wMm, double hMm) const { return {U(xMm), U(yMm), U(wMm), U(hMm)}; }

    // Starts the next page (the first call keeps the writer's first page).
    void NewPage();
    int PageNumber() const { return m_Page; }

    void SetFont(double points, bool bold = false);
    // Text in the box, with Qt alignment flags; wraps when asked.
    void Text(double x, double y, double w, double h, const QString& text,
              int flags = Qt::AlignLeft | Qt::AlignVCenter);
    // A section title at y; returns the y below it.
    double Heading(double y, const QString& text);
    // A paragraph that wraps over the content width; returns the y below it.
    double Paragraph(double y, const QString& text, double points = 9);
    void Line(double x1, double y1, double x2, double y2, const QColor& colour, double widthMm = 0.2);

private:
    void Decorate();

    QPainter m_Painter;
    QPdfWriter& m_Writer;
    QString m_HeaderRight;
    double m_PerMm;
    int m_Page = 0;
};

// A plot area: data coordinates mapped into a rectangle in millimetres.
class OPlotFrame {
public:
    OPlotFrame(OReportCanvas& canvas, double x, double y, double w, double h, double x0, double x1, double y0,
               double y1);
    QPointF Map(double x, double y) const;
    double MapX(double x) const;
    double MapY(double y) const;
    // Frame, grid, ticks with labels; xLabel(value) gives a tick's text.
    void Axes(const std::vector<double>& xTicks, const std::function<QString(double)>& xText,
              const std::vector<double>& yTicks, const std::function<QString(double)>& yText);
    void Titles(const QString& xTitle, const QString& yTitle);
    // Clips the painter to the plot area until the returned guard ends.
    void Clip(bool on);
    double Left() const { return m_X; }
    double Top() const { return m_Y; }
    double Width() const { return m_W; }
    double Height() const { return m_H; }
    double X0() const { return m_X0; }
    double X1() const { return m_X1; }
    double Y0() const { return m_Y0; }
    double Y1() const { return m_Y1; }

private:
    OReportCanvas& m_C;
    double m_X, m_Y, m_W, m_H, m_X0, m_X1, m_Y0, m_Y1;
};

// Ticks at multiples of a rounded step (1, 2, 2.5, 5 × 10^n) between lo and
// hi, about count of them.
std::vector<double> NiceTicks(double lo, double hi, int count);
// Tick labels with as many decimals as the ticks' step needs.
std::function<QString(double)> TickText(const std::vector<double>& ticks);
// A rounded range [lo, hi] that holds the values, with ticks of NiceTicks.
void NiceRange(double& lo, double& hi, int count);
// Time ticks (s from the start) at whole clock minutes or hours.
std::vector<double> TimeTicks(double durationS, double clockOffsetS, int maxCount);
