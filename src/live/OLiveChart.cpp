#include "OLiveChart.h"

#include <algorithm>

OLiveChart::OLiveChart()
{
    m_CurrentList = m_ListA.data();
    m_OldList = m_ListB.data();
}

void OLiveChart::Begin(int x, int y)
{
    m_Current = {x, y, y, y, y};
    m_CurrentCount = 0;
    m_Previous = m_Current;
}

void OLiveChart::DrawCurrentColumn()
{
    m_Canvas->MoveTo(m_Previous.Column, m_Previous.Last);
    m_Canvas->LineTo(m_Current.Column, m_Current.First);
    m_Canvas->MoveTo(m_Current.Column, m_Current.Max);
    m_Canvas->LineTo(m_Current.Column, m_Current.Min - 1);
    m_Canvas->MoveTo(m_Current.Column, m_Current.Last);
    if (m_CurrentCount < kMaxColumns)
        m_CurrentList[m_CurrentCount++] = m_Current;
    m_Previous = m_Current;
}

void OLiveChart::Point(int x, int y)
{
    if (x == m_Current.Column) {
        m_Current.Min = std::min(m_Current.Min, y);
        m_Current.Max = std::max(m_Current.Max, y);
        m_Current.Last = y;
        return;
    }
    EraseUpTo(m_Current.Column + 1);
    DrawCurrentColumn();
    m_Current = {x, y, y, y, y};
}

void OLiveChart::End()
{
    EraseUpTo(2000000000);
    DrawCurrentColumn();
    m_OldCount = m_CurrentCount;
    std::swap(m_CurrentList, m_OldList);
    m_CurrentCount = 0;
    m_ErasePos = 0;
}

void OLiveChart::EraseUpTo(int limit)
{
    const LivePen previous = m_Canvas->SelectPen(LivePen::Erase);
    int i = m_ErasePos;
    for (; i < m_OldCount; ++i) {
        const LiveColumn& c = m_OldList[i];
        if (i == m_ErasePos)
            m_Canvas->MoveTo(c.Column, c.Last);
        m_Canvas->LineTo(c.Column, c.First);
        m_Canvas->MoveTo(c.Column, c.Max);
        m_Canvas->LineTo(c.Column, c.Min - 1);
        m_Canvas->MoveTo(c.Column, c.Last);
        if (c.Column > limit)
            break;
    }
    m_ErasePos = i;
    m_Canvas->SelectPen(previous);
}

void DrawLiveTrace(OLiveChart& chart, OLiveCanvas& canvas, const uint16_t* samples, int sampleCount, int writePos,
                   int width, int height, int chartTop)
{
    if (sampleCount <= 0)
        return;
    const auto [low, high] = std::minmax_element(samples, samples + sampleCount);
    const double min = *low;
    const double range = double(*high) - min;
    const int flatY = (chartTop - 1 + height - 1) / 2;
    chart.SetCanvas(&canvas);
    int k = writePos;
    for (int i = 0; i < sampleCount; ++i, ++k) {
        if (k >= sampleCount)
            k -= sampleCount;
        const int y =
            range > 0 ? static_cast<int>((height - 1) - (samples[k] - min) * (height - chartTop) / range) : flatY;
        const int x = static_cast<int>(static_cast<int64_t>(width) * i / sampleCount);
        if (i == 0)
            chart.Begin(x, y);
        chart.Point(x, y);
    }
    chart.End();
}
