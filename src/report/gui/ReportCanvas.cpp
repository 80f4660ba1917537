#include "ReportCanvas.h"

#include <QColor>
#include <QFont>

#include <algorithm>
#include <cmath>

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

OReportCanvas::OReportCanvas(QPdfWriter& writer, QString headerRight)
    : m_Painter(&writer), m_Writer(writer), m_HeaderRight(std::move(headerRight))
{
    m_PerMm = writer.resolution() / 25.4;
    m_Painter.setRenderHint(QPainter::Antialiasing, true);
}

void OReportCanvas::NewPage()
{
    if (m_Page > 0)
        m_Writer.newPage();
    ++m_Page;
    Decorate();
}

void OReportCanvas::Decorate()
{
    SetFont(7.5);
    m_Painter.setPen(QColor(90, 90, 90));
    Text(kMarginX, 9, kContentW / 2, 5, QStringLiteral("Brenna · Холтеровское мониторирование ЭКГ"));
    Text(kMarginX + kContentW / 2, 9, kContentW / 2, 5, m_HeaderRight, Qt::AlignRight | Qt::AlignVCenter);
    Line(kMarginX, 14.5, kPageW - kMarginX, 14.5, QColor(150, 150, 150), 0.2);
    Line(kMarginX, kBottom + 4, kPageW - kMarginX, kBottom + 4, QColor(150, 150, 150), 0.2);
    SetFont(7.5);
    m_Painter.setPen(QColor(90, 90, 90));
    Text(kMarginX, kBottom + 5, kContentW, 5, QStringLiteral("стр. %1").arg(m_Page), Qt::AlignRight | Qt::AlignVCenter);
    m_Painter.setPen(Qt::black);
}

void OReportCanvas::SetFont(double points, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setBold(bold);
    m_Painter.setFont(font);
}

void OReportCanvas::Text(double x, double y, double w, double h, const QString& text, int flags)
{
    m_Painter.drawText(R(x, y, w, h), flags, text);
}

double OReportCanvas::Heading(double y, const QString& text)
{
    SetFont(13, true);
    m_Painter.setPen(QColor(20, 50, 110));
    Text(kMarginX, y, kContentW, 8, text);
    Line(kMarginX, y + 8.5, kPageW - kMarginX, y + 8.5, QColor(20, 50, 110), 0.4);
    m_Painter.setPen(Qt::black);
    return y + 12;
}

double OReportCanvas::Paragraph(double y, const QString& text, double points)
{
    SetFont(points);
    const QRectF box = R(kMarginX, y, kContentW, kBottom - y);
    const QRectF used = m_Painter.boundingRect(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    m_Painter.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return y + used.height() / m_PerMm + 1.5;
}

void OReportCanvas::Line(double x1, double y1, double x2, double y2, const QColor& colour, double widthMm)
{
    m_Painter.setPen(QPen(colour, U(widthMm)));
    m_Painter.drawLine(P(x1, y1), P(x2, y2));
}

OPlotFrame::OPlotFrame(OReportCanvas& canvas, double x, double y, double w, double h, double x0, double x1, double y0,
                       double y1)
    : m_C(canvas), m_X(x), m_Y(y), m_W(w), m_H(h), m_X0(x0), m_X1(x1 > x0 ? x1 : x0 + 1), m_Y0(y0),
      m_Y1(y1 > y0 ? y1 : y0 + 1)
{
}

double OPlotFrame::MapX(double x) const
{
    return m_C.U(m_X + (x - m_X0) / (m_X1 - m_X0) * m_W);
}

double OPlotFrame::MapY(double y) const
{
    return m_C.U(m_Y + m_H - (y - m_Y0) / (m_Y1 - m_Y0) * m_H);
}

QPointF OPlotFrame::Map(double x, double y) const
{
    return {MapX(x), MapY(y)};
}

void OPlotFrame::Axes(const std::vector<double>& xTicks, const std::function<QString(double)>& xText,
                      const std::vector<double>& yTicks, const std::function<QString(double)>& yText)
{
    QPainter& p = m_C.Painter();
    const QColor grid(215, 215, 215);
    m_C.SetFont(6.5);
    for (double t : xTicks) {
        const double x = MapX(t) / m_C.U(1);
        m_C.Line(x, m_Y, x, m_Y + m_H, grid, 0.15);
        p.setPen(Qt::black);
        m_C.Text(x - 10, m_Y + m_H + 0.5, 20, 3.5, xText(t), Qt::AlignHCenter | Qt::AlignTop);
    }
    for (double t : yTicks) {
        const double y = MapY(t) / m_C.U(1);
        m_C.Line(m_X, y, m_X + m_W, y, grid, 0.15);
        p.setPen(Qt::black);
        m_C.Text(m_X - 13, y - 2, 12, 4, yText(t), Qt::AlignRight | Qt::AlignVCenter);
    }
    p.setPen(QPen(Qt::black, m_C.U(0.25)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(m_C.R(m_X, m_Y, m_W, m_H));
}

void OPlotFrame::Titles(const QString& xTitle, const QString& yTitle)
{
    QPainter& p = m_C.Painter();
    m_C.SetFont(7);
    p.setPen(Qt::black);
    if (!xTitle.isEmpty())
        m_C.Text(m_X, m_Y + m_H + 4, m_W, 4, xTitle, Qt::AlignHCenter | Qt::AlignTop);
    if (!yTitle.isEmpty()) {
        p.save();
        p.translate(m_C.P(m_X - 16.5, m_Y + m_H / 2));
        p.rotate(-90);
        p.drawText(QRectF(-m_C.U(m_H / 2), -m_C.U(2), m_C.U(m_H), m_C.U(4)), Qt::AlignCenter, yTitle);
        p.restore();
    }
}

void OPlotFrame::Clip(bool on)
{
    if (on)
        m_C.Painter().setClipRect(m_C.R(m_X, m_Y, m_W, m_H));
    else
        m_C.Painter().setClipping(false);
}

std::vector<double> NiceTicks(double lo, double hi, int count)
{
    std::vector<double> ticks;
    if (!(hi > lo) || count < 1)
        return ticks;
    const double raw = (hi - lo) / count;
    const double magnitude = std::pow(10, std::floor(std::log10(raw)));
    double step = magnitude;
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * magnitude >= raw) {
            step = m * magnitude;
            break;
        }
    for (double t = std::ceil(lo / step - 1e-9) * step; t <= hi + step * 1e-9; t += step)
        ticks.push_back(std::abs(t) < step * 1e-9 ? 0 : t);
    return ticks;
}

void NiceRange(double& lo, double& hi, int count)
{
    if (!(hi > lo)) {
        lo -= 1;
        hi += 1;
    }
    const std::vector<double> ticks = NiceTicks(lo, hi, count);
    if (ticks.size() < 2)
        return;
    const double step = ticks[1] - ticks[0];
    lo = std::floor(lo / step + 1e-9) * step;
    hi = std::ceil(hi / step - 1e-9) * step;
}

std::vector<double> TimeTicks(double durationS, double clockOffsetS, int maxCount)
{
    std::vector<double> ticks;
    double step = 60;
    for (double s : {60.0, 120.0, 300.0, 600.0, 900.0, 1800.0, 3600.0, 7200.0, 10800.0, 21600.0}) {
        step = s;
        if (durationS / s <= maxCount)
            break;
    }
    for (double t = std::ceil(clockOffsetS / step) * step - clockOffsetS; t <= durationS + 1e-6; t += step)
        ticks.push_back(t);
    return ticks;
}

std::function<QString(double)> TickText(const std::vector<double>& ticks)
{
    const double step = ticks.size() >= 2 ? ticks[1] - ticks[0] : 1;
    int decimals = 0;
    while (decimals < 4 && std::abs(step * std::pow(10, decimals) - std::round(step * std::pow(10, decimals))) > 1e-6)
        ++decimals;
    return [decimals](double v) { return QString::number(v, 'f', decimals).replace('.', ','); };
}
